// The help library's class table and entry points.
#include "component/ClassTable.h"
#include "component/LibraryExports.h"
#include "help/HelpEnums.h"
#include "help/HelpTopic.h"
#include "help/HelpTopics.h"
#include "help/ToolTip.h"
#include "help/ToolTips.h"

namespace {

velmora::ClassTable makeClassTable() {
    using namespace velmora;
    return ClassTable(u"Guidepost")
        .add<ToolTip>(u"{6B0E4D27-31A8-4C5F-9E62-0D8F7A4B1C35}", u"Guidepost.ToolTip")
        .add<ToolTips>(u"{2F9C7A18-5D43-4E06-B8A1-7C3E9D2F6B40}", u"Guidepost.ToolTips")
        .add<HelpEnums>(u"{9D4A1E6C-8B27-4F35-A0D9-3E5C7B1F2A86}", u"Guidepost.HelpEnums")
        .add<HelpTopics>(u"{C81F2B5D-6E94-4A07-9B3C-1D5E8F2A7C60}", u"Guidepost.HelpTopics")
        .add<HelpTopic>(u"{47E3A9C2-0B6D-4F18-8E5A-2C9D1B7F3E04}", u"Guidepost.HelpTopic")
        .enumeration(
            u"TOOLTIP_STYLE",
            {{u"SIMPLE", SIMPLE}, {u"BALLOON", BALLOON}, {u"NOANIMATION", NOANIMATION}, {u"NOFADE", NOFADE}})
        .enumeration(u"ICON", {{u"NONE", NONE}, {u"INFO", INFO}, {u"WARN", WARN}, {u"CRITICAL", CRITICAL}})
        .enumeration(u"DELAYTIME", {{u"AUTOMATIC", AUTOMATIC},
                                    {u"RESHOW", RESHOW},
                                    {u"AUTOPOPUP", AUTOPOPUP},
                                    {u"INITIAL", INITIAL}})
        .enumeration(u"BEHAVIOR", {{u"ABSOLUTE_POSITIONING", ABSOLUTE_POSITIONING},
                                   {u"CENTER_POSITIONING", CENTER_POSITIONING},
                                   {u"RIGHT_TO_LEFT_READING", RIGHT_TO_LEFT_READING},
                                   {u"TRANSPARENT", TRANSPARENT},
                                   {u"TRACKING", TRACKING},
                                   {u"NON_TRACKING", NON_TRACKING}})
        .enumeration(u"ACTIVATION_DIRECTION", {{u"ACTIVATION_LEFT", ACTIVATION_LEFT},
                                               {u"ACTIVATION_RIGHT", ACTIVATION_RIGHT},
                                               {u"ACTIVATION_CENTER", ACTIVATION_CENTER},
                                               {u"ACTIVATION_CUSTOM", ACTIVATION_CUSTOM}});
}

}  // namespace

// Registering the library also registers the help viewer its HelpTopics looks for.
VELMORA_EXPORT_CLASS_TABLE_WITH(makeClassTable, &velmora::registerHelpViewer)
