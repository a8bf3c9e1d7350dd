#include "encoding/EncodingRun.h"

#include "encoding/LaunchArguments.h"
#include "encoding/RunHost.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string_view>

EncodingRun::EncodingRun(RunHost& host) : fHost(host) {}

void EncodingRun::Start(int32 places, const char* optionsBefore, const char* optionsAfter) {
    fPlaces = std::clamp(places, int32(1), kMostPlaces);
    if (ChoosesOutput(optionsBefore) || ChoosesOutput(optionsAfter))
        fPlaces = 1;
    fRunning = true;
    fNext = 0;
    fDone = 0;
    fLaunchFailed = false;
    fAtWork.clear();
    fWaiting.clear();
    fErrors.Clear();
}

void EncodingRun::Next() {
    if (!fRunning)
        return;
    while (!fLaunchFailed && CountAtWork() < fPlaces) {
        // The count is read afresh each time: entries added during the run
        // are encoded in it, and a list that became shorter ends it.
        const int32 count = fHost.CountEntries();
        // A waiting entry goes ahead of every later one once its output is
        // free; one the list no longer reaches is dropped with the list.
        std::erase_if(fWaiting, [count](const Waiting& waiting) { return waiting.index >= count; });
        bool started = false;
        for (size_t i = 0; i < fWaiting.size(); ++i) {
            if (Busy(fWaiting[i].output, i))
                continue;
            const Waiting waiting = fWaiting[i];
            fWaiting.erase(fWaiting.begin() + long(i));
            if (!Launch(waiting.index, waiting.path, waiting.output))
                return;
            started = true;
            break;
        }
        if (started)
            continue;
        if (fNext >= count)
            break;
        const int32 index = fNext;
        const std::string path = fHost.EntryAt(index);
        const std::string output = fPlaces > 1 ? OutputKey(path) : std::string();
        if (fPlaces > 1 && Busy(output, fWaiting.size())) {
            fWaiting.push_back(Waiting{index, path, output});
            ++fNext;
            continue;
        }
        if (!Launch(index, path, output))
            return;
        ++fNext;
    }
    if (fAtWork.empty())
        End();
}

bool EncodingRun::Launch(int32 index, const std::string& path, const std::string& output) {
    int32 row = 0;
    while (std::any_of(fAtWork.begin(), fAtWork.end(),
                       [row](const AtWork& encoder) { return encoder.row == row; }))
        ++row;
    team_id team = -1;
    int64 launch = 0;
    if (fHost.Launch(row, index, fHost.CountEntries(), path, &team, &launch) != B_OK) {
        fLaunchFailed = true;
        fHost.LaunchFailed(!fAtWork.empty());
        // The alert may have waited for its answer, and a stop may have come
        // meanwhile; otherwise the run ends once those at work have.
        if (fRunning && fAtWork.empty())
            End();
        return false;
    }
    fLastTeam = team;
    fLastLaunch = launch;
    fAtWork.push_back(AtWork{index, row, path, output, team, launch, false});
    return true;
}

bool EncodingRun::Busy(const std::string& output, size_t waitingBefore) const {
    if (output.empty())
        return false;
    for (const AtWork& encoder : fAtWork)
        if (encoder.output == output)
            return true;
    for (size_t i = 0; i < waitingBefore && i < fWaiting.size(); ++i)
        if (fWaiting[i].output == output)
            return true;
    return false;
}

bool EncodingRun::Owns(team_id team, int64 launch) const {
    return fRunning && std::any_of(fAtWork.begin(), fAtWork.end(), [&](const AtWork& encoder) {
               return encoder.team == team && encoder.launch == launch;
           });
}

std::vector<EncodingRun::AtWork>::iterator EncodingRun::Find(team_id team, int64 launch) {
    return std::find_if(fAtWork.begin(), fAtWork.end(), [&](const AtWork& encoder) {
        return encoder.team == team && encoder.launch == launch;
    });
}

void EncodingRun::Ended(team_id team, int64 launch, const BMessage* notice) {
    auto found = Find(team, launch);
    if (!fRunning || found == fAtWork.end())
        return;
    const AtWork ended = *found;
    fAtWork.erase(found);
    fErrors.Note(ended.index, ended.path.c_str(), notice, ended.skipped);
    ++fDone;
    fHost.RowEnded(ended.row, fDone, fHost.CountEntries());
}

void EncodingRun::Skip(team_id team, int64 launch) {
    auto found = Find(team, launch);
    if (!fRunning || found == fAtWork.end() || found->skipped)
        return;
    // The run goes on when the killed encoder's quit notice arrives. A
    // skipped entry has not failed, however its encoder ended.
    found->skipped = true;
    fHost.RowSkipped(found->row);
    fHost.Kill(team, launch);
}

void EncodingRun::SkipCurrent() {
    if (fRunning && fAtWork.size() == 1)
        Skip(fAtWork.front().team, fAtWork.front().launch);
}

void EncodingRun::Stop() {
    if (!fRunning)
        return;
    // Watching ends before the kills, and the run is over afterwards, so the
    // killed encoders' notices advance nothing.
    fHost.StopWatching();
    for (const AtWork& encoder : fAtWork)
        fHost.Kill(encoder.team, encoder.launch);
    fAtWork.clear();
    fWaiting.clear();
    fRunning = false;
    fNext = 0;
    // The entries not reached have not failed, nor have those just ended.
    fHost.Finished(fErrors);
}

void EncodingRun::End() {
    fHost.StopWatching();
    fRunning = false;
    fNext = 0;
    fWaiting.clear();
    fHost.Finished(fErrors);
}

std::string EncodingRun::OutputOf(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return path + ".ogg";
    return path.substr(0, dot) + ".ogg";
}

std::string EncodingRun::OutputKey(const std::string& path) {
    const std::string output = OutputOf(path);
    const size_t slash = output.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : output.substr(0, slash));
    char* resolved = ::realpath(folder.c_str(), nullptr);
    if (resolved == nullptr)
        return output;
    std::string key = resolved;
    std::free(resolved);
    if (key != "/")
        key += '/';
    return key + output.substr(slash == std::string::npos ? 0 : slash + 1);
}

bool EncodingRun::ChoosesOutput(const char* options) {
    LaunchArguments arguments;
    // Options the launch cannot split start no encoder at all.
    if (options == nullptr || arguments.Split(options) != B_OK)
        return false;
    for (int32 i = 0; i < arguments.Count(); ++i) {
        const std::string_view argument = arguments.At(i);
        if (argument == "--")
            return false; // what follows is files
        if (argument.size() < 2 || argument[0] != '-')
            continue;
        if (argument[1] == '-') {
            // The encoder takes any unambiguous beginning of a long option's
            // name: "--out" is "--output". Every beginning of "output" is
            // one; of "names", only the whole word tells it from the other
            // two long options that begin with "name", but the shorter
            // beginnings are counted too: erring that way only slows a run.
            const std::string_view name = argument.substr(2, argument.find('=') - 2);
            if (!name.empty() && (std::string_view("output").starts_with(name) ||
                                  std::string_view("names").starts_with(name)))
                return true;
            continue;
        }
        // Short options may be clustered, and the last one may carry its
        // value joined ("-Qo" "x.ogg", "-ox.ogg"); a letter inside another
        // option's joined value counts as well, which again only slows.
        if (argument.find_first_of("on", 1) != std::string_view::npos)
            return true;
    }
    return false;
}
