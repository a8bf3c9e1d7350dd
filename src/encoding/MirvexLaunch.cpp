#include "encoding/MirvexLaunch.h"

#include "encoding/LaunchArguments.h"
#include <kit/app/BRoster.h>

status_t MirvexLaunch(const entry_ref* ref, const char* optionsBefore, const char* file,
                      const char* optionsAfter, team_id* team, int64* launch,
                      const BMessenger* errorTarget) {
    LaunchArguments arguments;
    if (status_t status = arguments.Split(optionsBefore); status != B_OK)
        return status;
    if (file != nullptr) {
        if (file[0] == '-')
            if (status_t status = arguments.Add("--"); status != B_OK)
                return status;
        if (status_t status = arguments.Add(file); status != B_OK)
            return status;
    }
    if (status_t status = arguments.Split(optionsAfter); status != B_OK)
        return status;
    return be_roster->Launch(ref, arguments.Count(), arguments.Vector(), team, launch, errorTarget);
}
