// The erase procedure behind "Ok": every item of the argument list, a file wiped and deleted, a folder
// walked breadth first with every non-empty, non-hidden file in it wiped and the folders and empty files
// left in place, while the progress window names each file.
//
// What the walk never does: follow a symbolic link (a link named as an item is removed itself, a link
// inside a tree stays, and what either points to is never touched), leave the file system the tree starts
// on, visit a folder twice, open a pipe or device node, or reach a name it cannot address as it stands (a
// name holding '\', which the suite's paths would read as a separator).
//
// Nothing is left without a word: every item the procedure does not destroy (a name holding '\', a file
// with other names, a file that cannot be opened, a wipe whose writes failed, a link or pipe inside a tree,
// a file still there after its wipe) is recorded with the reason, for the program to report by name.
// Empty and hidden files inside a tree stay as the erase rules say, and are not recorded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/Object.h"

namespace velmora {

class EraseProcedure {
  public:
    // An item left as it was: its path, a run-time error number and why.
    struct LeftAlone {
        std::u16string path;
        std::int32_t number = 0;
        std::u16string reason;
    };

    struct Objects {
        ObjectRef file;       // Diskware.FileObject: names, tests and wipes files
        ObjectRef directory;  // Diskware.DirectoryObject: tests folder items
        ObjectRef progress;   // Gaugebox.ProgressObject: the progress window
    };
    // passSelector reads the window's pass selector; it is asked when the erase starts and again for
    // each tree.
    EraseProcedure(Objects objects, std::function<std::int32_t()> passSelector);

    // The number of passes for a selector value: below 1 gives 1, 2000 or more gives 400.
    static std::int16_t choosePasses(std::int32_t selectorValue);

    // Erases items 1 .. of the argument list (element 0 is the program's own path), between the progress
    // window's Initialize and Terminate.
    void run(const std::vector<std::u16string>& arguments);
    // One folder tree; nothing for an empty path.
    void eraseTree(const std::u16string& path);

    // Called with each path just before it is handed to the wipe (the order a user sees).
    void setWipeObserver(std::function<void(const std::u16string&)> observer) {
        m_observer = std::move(observer);
    }

    const std::vector<LeftAlone>& leftAlone() const noexcept { return m_leftAlone; }

  private:
    void eraseItem(const std::u16string& path, std::int16_t passes);
    // "Shredwell " and the selected file's bare name in the progress window.
    void announce();
    // Wipes the file object's FileName; what stays is recorded.
    void wipeSelected(std::int16_t passes);
    void leave(const std::u16string& path, std::int32_t number, std::u16string reason);
    std::int16_t passes() const;

    Objects m_objects;
    std::function<std::int32_t()> m_passSelector;
    std::function<void(const std::u16string&)> m_observer;
    std::vector<LeftAlone> m_leftAlone;
};

}  // namespace velmora
