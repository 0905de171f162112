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
//
// Small files are wiped ahead of their turn: once checked, a file of at most one block goes to the file
// object's workers, so that the flushes of many files share the device's commits. What the user sees
// keeps the procedure's order all the same: each file's status text, its Progress, a refused open's
// message and every record of what stayed come one file after another, in the order the items and the
// walk give, each after the last report of the file before. A larger file, which shows its progress block
// by block, waits for every report before it and is wiped in its turn.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "files/FileObject.h"
#include "platform/entry.h"
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

    // Called with each path just before its wipe is reported, after its status text (the order a user
    // sees; a small file's wipe may have started earlier).
    void setWipeObserver(std::function<void(const std::u16string&)> observer) {
        m_observer = std::move(observer);
    }

    const std::vector<LeftAlone>& leftAlone() const noexcept { return m_leftAlone; }

  private:
    // A report waiting for its turn. `quiet` after a failure of the progress window: the file's outcome
    // is still awaited and recorded, with no more calls to the window.
    using Turn = std::function<void(bool quiet)>;
    using FileId = std::pair<std::uint64_t, std::uint64_t>;  // device, inode

    void eraseItem(const std::u16string& path, std::int16_t passes);
    // One folder tree; nothing for an empty path.
    void eraseTree(const std::u16string& path);
    // A regular file met in a tree (announced before its check) or named directly.
    void eraseFile(const std::u16string& path, const EntryInfo& entry, std::int16_t passes, bool inTree);
    // The same in its turn, with every report before it done: the order the erase rules give.
    void eraseFileNow(const std::u16string& path, const EntryInfo& entry, std::int16_t passes, bool inTree);
    // "Shredwell " and the selected file's bare name in the progress window.
    void announce();
    // Wipes the file object's FileName (known as `before` when checked); what stays is recorded.
    void wipeSelected(std::int16_t passes, const EntryInfo& before);
    // The same without telling the observer.
    void deleteSelected(std::int16_t passes, const EntryInfo& before);
    void leave(const std::u16string& path, std::int32_t number, std::u16string reason);
    // The same, after every report waiting before it.
    void leaveInTurn(const std::u16string& path, std::int32_t number, std::u16string reason);
    // Runs the reports waiting, in order; `quiet` as for a Turn.
    void settle(bool quiet = false);
    // Runs the first report waiting.
    void takeTurn(bool quiet);
    std::int16_t passes() const;

    Objects m_objects;
    Ref<FileObject> m_ahead;  // the file object when it can wipe ahead (one of this process)
    std::function<std::int32_t()> m_passSelector;
    std::function<void(const std::u16string&)> m_observer;
    std::vector<LeftAlone> m_leftAlone;
    std::deque<Turn> m_turns;
    std::set<FileId> m_inFlight;  // files wiped ahead whose reports still wait
};

}  // namespace velmora
