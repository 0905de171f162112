// What a suite library shows to the libraries and programs that link or load it. Libraries and programs
// are built with hidden symbols; only what carries VELMORA_API (the class-table entry points, the classes
// of a folder's include/ that other libraries link against) is exported. The layers keep every symbol of
// their include/ visible: that is their API.
#pragma once

#define VELMORA_API __attribute__((visibility("default")))
