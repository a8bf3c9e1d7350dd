#pragma once

// The command codes of the program, in the order of the user's work. Every
// control, panel and window of the program sends one of these (or one of the
// kit's own codes: B_REFS_RECEIVED, B_SIMPLE_DATA, B_SOME_APP_QUIT,
// B_QUIT_REQUESTED, B_ABOUT_REQUESTED). None of them carries fields except
// the three panel replies noted below.

#include <kit/app/SupportDefs.h>

namespace cmd {

constexpr uint32 ENCD = four_cc("ENCD"); // "Kodieren!": start a batch run
constexpr uint32 SKIP = four_cc("SKIP"); // "Datei auslassen": end the current encoder
constexpr uint32 STOP = four_cc("STOP"); // "Kodieren abbrechen": end the run
constexpr uint32 CLOS = four_cc("CLOS"); // "Beenden": ask the application to quit
constexpr uint32 NWLS = four_cc("NWLS"); // "Neu": empty the list
constexpr uint32 SVLS = four_cc("SVLS"); // "Speichern...": show the save-list panel
constexpr uint32 OPLS = four_cc("OPLS"); // "Öffnen...": show the open-list panel
constexpr uint32 SLPM = four_cc("SLPM"); // save-list panel reply: "directory", "name"
constexpr uint32 OLPM = four_cc("OLPM"); // open-list panel reply: "refs"
constexpr uint32 RDME = four_cc("RDME"); // "Liesmich": open the readme
constexpr uint32 ADDF = four_cc("ADDF"); // "Hinzufügen...": show the add-files panel
constexpr uint32 REMV = four_cc("REMV"); // "Entfernen": remove the selected entries
constexpr uint32 MVUP = four_cc("MVUP"); // "Nach oben schieben"
constexpr uint32 MVDN = four_cc("MVDN"); // "Nach unten schieben"
constexpr uint32 LOCG = four_cc("LOCG"); // "Suchen...": show the encoder panel
constexpr uint32 LOGP = four_cc("LOGP"); // encoder panel reply: "refs"
constexpr uint32 LOCM = four_cc("LOCM"); // the encoder path field changed
constexpr uint32 DCOA = four_cc("DCOA"); // check box "DontCloseOnAdd"
constexpr uint32 DCOO = four_cc("DCOO"); // check box "DontClearOnOpen"
constexpr uint32 SRMT = four_cc("SRMT"); // check box "SelfRegisterMIMEType"
constexpr uint32 RMTN = four_cc("RMTN"); // "MIME-Typ jetzt installieren"
constexpr uint32 UMTN = four_cc("UMTN"); // "MIME-Typ jetzt löschen"
constexpr uint32 SENC = four_cc("SENC"); // the field "Gleichzeitige Kodierungen:" changed

} // namespace cmd
