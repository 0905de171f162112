// The eraser's only window: warns, takes the number of passes, and starts (or refuses) the erase of the
// items it was given. It owns the file, directory and progress objects while it is loaded and forwards the
// file object's Progress to the progress window.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "EraseProcedure.h"
#include "common/ControlObject.h"
#include "common/ProgressCoalescer.h"
#include "runtime/Error.h"
#include "runtime/Object.h"
#include "ui/SkinButton.h"
#include "ui/ctlNumberSelect.h"

namespace velmora {

class frmMain : public QDialog {
    Q_OBJECT

  public:
    // arguments: the argument list, element 0 the program's own path; helpTopics: the program's
    // HelpTopics, or Nothing.
    explicit frmMain(std::vector<std::u16string> arguments, ObjectRef helpTopics = {},
                     QWidget* parent = nullptr);
    ~frmMain() override;

    // "pass" below 2, otherwise "passes".
    static QString passLabel(std::int32_t value);

    // Index 0 "Ok", 1 "Cancel": hide, erase when "Ok" has items, unload.
    void Button1_Click(int index);
    // The tooltip of the pass selector (tests and screenshots show it at once).
    const ObjectRef& passTip() const { return m_passTip; }
    // Handed to the erase procedure: called with each path just before its wipe is reported.
    void setWipeObserver(std::function<void(const std::u16string&)> observer) {
        m_wipeObserver = std::move(observer);
    }
    // The progress object while the window is loaded.
    const ObjectRef& progressObject() const { return m_objProgress; }
    // Whether the window says its items are on storage that overwriting may not reach.
    bool storageWarned() const;

    void reject() override;  // Escape and the close box: as "Cancel"

    // An error that stopped a button's work, for start-up to record once the window is gone.
    const std::optional<RuntimeError>& failure() const { return m_failure; }
    // What the erase left as it was, for start-up to report by name.
    const std::vector<EraseProcedure::LeftAlone>& leftAlone() const { return m_leftAlone; }

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Form_Load();
    void Form_QueryUnload();
    void ctlNumberSelect1_Change();
    void objFile_Progress(std::int16_t percent);
    void showProgress(std::int32_t percent);
    void warnAboutStorage();
    void showHelp(const char16_t* topicUrl);

    std::vector<std::u16string> m_arguments;
    std::vector<EraseProcedure::LeftAlone> m_leftAlone;
    ObjectRef m_helpTopics;
    ObjectRef m_helpTopic;
    std::vector<QPixmap> m_imlMain;
    QLabel* m_picture1 = nullptr;
    QLabel* m_lblCaption = nullptr;
    ctlNumberSelect* m_ctlNumberSelect1 = nullptr;
    QLabel* m_lblPass = nullptr;
    QLabel* m_lblStorage = nullptr;
    QListWidget* m_lstItems = nullptr;
    SkinButton* m_button1[2] = {nullptr, nullptr};

    Ref<ControlObject> m_form;
    ObjectRef m_directory;
    ObjectRef m_objProgress;
    // Every file's wipe ends at 100, which always passes: the window never misses the run's last value.
    ProgressCoalescer m_progressValues{[this](std::int32_t percent) { showProgress(percent); }};
    ObjectRef m_objFile;
    ObjectRef m_toolTips;
    ObjectRef m_passTip;
    bool m_unloaded = false;
    std::optional<RuntimeError> m_failure;
    std::function<void(const std::u16string&)> m_wipeObserver;
};

}  // namespace velmora
