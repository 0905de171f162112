// AnimationType: the clips the progress window plays, by their resource identifiers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "component/EnumInfo.h"

namespace velmora {

enum AnimationType : std::int32_t {
    Globe = 100,
    Busy = 101,
    CdSpin = 102,
    Defrag = 103,
    Download = 104,
    FileCopy = 105,
    FileDelete = 106,
    FileMove = 107,
    FileNuke = 108,
    FindComputer = 109,
    FindFile = 110,
    FindFolder = 111,
    InetDownload = 112,
    InetSend = 113,
    PrinterPrint = 114,
    TrashNuke = 115,
    Watch = 116,
};

// The members as the type library lists them (its order, not the values').
const std::vector<EnumInfo::Value>& animationTypeMembers();

}  // namespace velmora
