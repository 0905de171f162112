// show_dialog: shows one common dialog as a caller does, from a window of its own whose handle it passes,
// so that the dialog can be read and completed from outside (a screen reader, the keyboard).
// Usage: show_dialog open|save|color|font|pagesetup|print|folder|network
// Prints the method's result; exits 0 once the dialog has closed, 2 for an unknown name.
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "../TestFont.h"
#include "dialogs/CommonDialogObject.h"
#include "runtime/text.h"
#include "ui/GuiApplication.h"
#include "ui/WindowHandles.h"

using namespace velmora;
using namespace std::string_literals;

namespace {

const std::array<std::string, 8> kDialogs = {"open",      "save",  "color",  "font",
                                             "pagesetup", "print", "folder", "network"};

std::string show(CommonDialogObject& dialogs, const std::string& which, std::int32_t owner) {
    Variant flags = Variant::missing();
    if (which == "open" || which == "save") {
        const std::u16string title = which == "open" ? u"Open a file" : u"Save a file";
        const std::u16string filter = u"Text files\0*.txt\0All files\0*.*\0"s;
        const auto result = which == "open" ? dialogs.ShowOpen(owner, title, u"", filter, 1, u"txt", flags)
                                            : dialogs.ShowSave(owner, title, u"", filter, 1, u"txt", flags);
        return std::to_string(result);
    }
    if (which == "color") {
        Variant colours;
        return std::to_string(dialogs.ShowColor(owner, 0x336699, colours, 1));
    }
    if (which == "font") {
        Variant font(ObjectRef(makeObject<test::TestFont>()));
        std::int32_t colour = 0;
        return dialogs.ShowFont(owner, 0, font, colour, flags) ? "true" : "false";
    }
    if (which == "pagesetup") return std::to_string(dialogs.ShowPageSetup(owner, flags));
    if (which == "print") {
        dialogs.ShowPrinter(owner, flags);
        return "done";
    }
    if (which == "folder") return toUtf8(dialogs.ShowFolder(owner, u"Choose a folder", u"", flags));
    return toUtf8(dialogs.ShowNetwork(owner, u"Choose a computer", u"", flags));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string which = argc == 2 ? argv[1] : "";
    if (std::find(kDialogs.begin(), kDialogs.end(), which) == kDialogs.end()) {
        std::fprintf(stderr, "usage: show_dialog open|save|color|font|pagesetup|print|folder|network\n");
        return 2;
    }
    GuiApplication application(argc, argv);
    QWidget owner;
    owner.setWindowTitle(QStringLiteral("Dialog owner"));
    owner.resize(320, 200);
    owner.show();
    Ref<CommonDialogObject> dialogs = makeObject<CommonDialogObject>();
    const std::string result = show(*dialogs, which, static_cast<std::int32_t>(handleOf(&owner)));
    std::printf("%s\n", result.c_str());
    return 0;
}
