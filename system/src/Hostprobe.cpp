// The system library's class table and entry points.
#include "ControlPanelObject.h"
#include "EnvironmentalVarObject.h"
#include "SystemRecords.h"
#include "component/ClassTable.h"
#include "component/LibraryExports.h"
#include "system/SystemObject.h"

namespace {

velmora::ClassTable makeClassTable() {
    using namespace velmora;
    return ClassTable(u"Hostprobe")
        .add<SystemObject>(u"{A3C5E1F0-7B2D-4C8E-9F13-5D6B8A4E2C71}", u"Hostprobe.SystemObject")
        .add<ControlPanelObject>(u"{A3C5E1F0-7B2D-4C8E-9F13-5D6B8A4E2C72}", u"Hostprobe.ControlPanelObject")
        .add<EnvironmentalVarObject>(u"{A3C5E1F0-7B2D-4C8E-9F13-5D6B8A4E2C73}",
                                     u"Hostprobe.EnvironmentalVarObject")
        .describes(SystemInfoRecord::describe())
        .describes(MemoryStatusRecord::describe())
        .describes(OSVersionInfoRecord::describe())
        .enumeration(u"QueueMessagesUsed", {{u"All_Inputs", All_Inputs},
                                            {u"All_Events", All_Events},
                                            {u"Standard", Standard},
                                            {u"Messages", Messages},
                                            {u"InputOnly", InputOnly},
                                            {u"Mouse", Mouse},
                                            {u"MouseMove", MouseMove},
                                            {u"Timer", Timer}})
        .enumeration(u"WinProdType", {{u"VER_NT_WORKSTATION", VER_NT_WORKSTATION},
                                      {u"VER_NT_DOMAIN_CONTROLLER", VER_NT_DOMAIN_CONTROLLER},
                                      {u"VER_NT_SERVER", VER_NT_SERVER}})
        .enumeration(u"WinSuiteMask",
                     {{u"VER_SUITE_SMALLBUSINESS", VER_SUITE_SMALLBUSINESS},
                      {u"VER_SUITE_ENTERPRISE", VER_SUITE_ENTERPRISE},
                      {u"VER_SUITE_BACKOFFICE", VER_SUITE_BACKOFFICE},
                      {u"VER_SUITE_COMMUNICATIONS", VER_SUITE_COMMUNICATIONS},
                      {u"VER_SUITE_TERMINAL", VER_SUITE_TERMINAL},
                      {u"VER_SUITE_SMALLBUSINESS_RESTRICTED", VER_SUITE_SMALLBUSINESS_RESTRICTED},
                      {u"VER_SUITE_EMBEDDEDNT", VER_SUITE_EMBEDDEDNT},
                      {u"VER_SUITE_DATACENTER", VER_SUITE_DATACENTER},
                      {u"VER_SUITE_SINGLEUSERTS", VER_SUITE_SINGLEUSERTS},
                      {u"VER_SUITE_PERSONAL", VER_SUITE_PERSONAL},
                      {u"VER_SUITE_BLADE", VER_SUITE_BLADE}})
        .enumeration(u"ControlPanels", {{u"Accessibility", Accessibility},
                                        {u"AddHardWare", AddHardWare},
                                        {u"AddRemove", AddRemove},
                                        {u"DesktopDisplay", DesktopDisplay},
                                        {u"DesktopThemes", DesktopThemes},
                                        {u"FindComputer", FindComputer},
                                        {u"FindFiles", FindFiles},
                                        {u"FontSettings", FontSettings},
                                        {u"InternetSettings", InternetSettings},
                                        {u"KeyboardSettings", KeyboardSettings},
                                        {u"ModemSettings", ModemSettings},
                                        {u"MouseSettings", MouseSettings},
                                        {u"NetworkSettings", NetworkSettings},
                                        {u"PasswordSettings", PasswordSettings},
                                        {u"PowerManagement", PowerManagement},
                                        {u"PrinterSettings", PrinterSettings},
                                        {u"RegionalSettings", RegionalSettings},
                                        {u"SoundSettings", SoundSettings},
                                        {u"SystemSettings", SystemSettings},
                                        {u"TimeAndDate", TimeAndDate},
                                        {u"TweakUI", TweakUI}});
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
