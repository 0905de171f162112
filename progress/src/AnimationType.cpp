#include "progress/AnimationType.h"

namespace velmora {

const std::vector<EnumInfo::Value>& animationTypeMembers() {
    static const std::vector<EnumInfo::Value> members = {
        {u"Globe", Globe},
        {u"Busy", Busy},
        {u"CdSpin", CdSpin},
        {u"Defrag", Defrag},
        {u"Download", Download},
        {u"FileCopy", FileCopy},
        {u"FileDelete", FileDelete},
        {u"FileNuke", FileNuke},
        {u"FileMove", FileMove},
        {u"TrashNuke", TrashNuke},
        {u"FindComputer", FindComputer},
        {u"FindFile", FindFile},
        {u"FindFolder", FindFolder},
        {u"Watch", Watch},
        {u"InetDownload", InetDownload},
        {u"InetSend", InetSend},
        {u"PrinterPrint", PrinterPrint},
    };
    return members;
}

}  // namespace velmora
