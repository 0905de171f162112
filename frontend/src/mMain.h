// The start routine and the program-wide objects both dialogs use.
#pragma once

#include <string>

#include "runtime/Object.h"

namespace velmora::mMain {

// What Main sets up and the dialogs share for the rest of the run.
struct Shared {
    ObjectRef log;        // Tracebook.LogObject
    ObjectRef help;       // Guidepost.HelpTopics
    ObjectRef file;       // Diskware.FileObject
    ObjectRef directory;  // Diskware.DirectoryObject
};
Shared& shared();

// The folder of the program's files (help, log, icon, and the program named in the registration), as a
// suite path without a closing "\". The program's own folder unless a test chose another.
const std::u16string& programDirectory();
void setProgramDirectory(std::u16string folder);

// Runs the program: log, help, registration, shared objects, command line, one modal dialog.
void Main();

// The log entry of an error that reaches a user-facing routine: displayed, not mailed, critical.
void logError(const std::u16string& description, std::int32_t number, const std::u16string& objectName,
              const std::u16string& routine);

}  // namespace velmora::mMain
