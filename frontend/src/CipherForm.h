// What the encrypt and decrypt dialogs share: the caption, the method list and the Ok/Cancel pair, the
// engine with this dialog as its client, the progress object, the tooltips, and the unload order. Escape
// and closing the window are "Cancel", Return is "Ok".
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "EngineClient.h"
#include "FilesInFlight.h"
#include "SourceClaim.h"
#include "common/ControlObject.h"
#include "runtime/Object.h"

namespace velmora {

class CipherForm : public QDialog {
  public:
    // formName: the form's name (frmEncrypt, frmDecrypt), its object name and the log's ObjectName.
    explicit CipherForm(const char16_t* formName);
    ~CipherForm() override;

    // Sets the dialog up for the user; false when it failed and unloaded itself.
    virtual bool load() = 0;

    // What the tests and the dialog's own steps reach.
    const ObjectRef& engine() const noexcept { return m_engine; }
    const ObjectRef& progress() const noexcept { return m_progress; }
    const ObjectRef& toolTips() const noexcept { return m_toolTips; }
    bool unloaded() const noexcept { return m_unloaded; }

  protected:
    // The button's index: 0 "Ok", 1 "Cancel".
    virtual void buttonClick(int index) = 0;
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;

    QLineEdit* passwordBox(const QString& name);
    // The row naming what the dialog acts on: the command line's paths, the first by name and a count of
    // the rest, every path in its tooltip.
    QWidget* itemsRow();
    void addButtons(QWidget& row);

    // Load steps.
    void createToolTips();
    void createEngine();
    void createProgress();
    void fillMethods();
    void setToolTipsDelay();
    // F1 in the dialog opens its topic of the help file, through the shared help topics.
    void addHelpTopic(std::int32_t topicId);
    void addToolTip(QWidget* control, const std::u16string& title, const std::u16string& text);

    // Ok steps.
    void selectMethod(const std::u16string& key);
    void startProgress(const std::u16string& caption);
    void setStatus(const std::u16string& text);
    // Flushes the folders of the run's arguments, then closes the progress window: when the program
    // ends, its last name changes are on disk as well as every file's contents.
    void endProgress();
    // The long path of the shared file object after setting its FileName to path.
    std::u16string longNameOf(const std::u16string& path) const;
    bool fileExists() const;
    // Logs by name what stops a file from being handled: a name the suite's paths cannot carry, a file
    // that exists but cannot be read, one another run holds. routine: the log's Routine.
    void logLeftAlone(const std::u16string& path, std::uint32_t win32Error,
                      const std::u16string& routine) const;
    // What a folder walk could not reach: a folder it could not list, or a name it cannot carry.
    void logWalkFailure(const std::u16string& path, std::uint32_t win32Error,
                        const std::u16string& routine) const;
    // Claims the file before it is read; false (and logged) when it is left as it is.
    bool claimSource(SourceClaim& claim, const std::u16string& path, const std::u16string& routine) const;
    // The last step once the result stands under its new name: the source's name goes, unless the source
    // changed while it was read, in which case the result goes instead and the source stays as it is.
    // True when the source's name is gone.
    bool retireSource(SourceClaim& claim, const std::u16string& source, const std::u16string& result,
                      const std::u16string& routine);
    // What the last step needs said (retire()'s outcome), and the folders it changed; true when the
    // source's name is gone.
    bool sayRetirement(int retirement, const std::u16string& source, const std::u16string& result,
                       const std::u16string& routine);
    // Runs a folder's walk with several files' results put in place at once: each file's source goes
    // only once its result stands, in the files' order, and every file is finished when this returns.
    // Outside it a file is finished at once.
    void walkInFlight(const std::function<void()>& walk);
    // Where a file's method call begins: the commits after it are the file's.
    FilesInFlight::Ticket commitsMark() const;
    // retireSource once the file's result (committed since `since`) stands. A commit that failed is said
    // as the methods say a failed write, and the source keeps its name and contents.
    void retireOnceCommitted(std::shared_ptr<SourceClaim> claim, const std::u16string& source,
                             const std::u16string& result, const std::u16string& routine,
                             FilesInFlight::Ticket since);

    // Releases the engine, the progress object and the tooltips, in that order, and ends the dialog.
    void unload();
    void logError(const std::u16string& description, std::int32_t number,
                  const std::u16string& routine) const;

    const std::u16string m_formName;
    QComboBox* cboEncryptLvl;
    QLineEdit* txtItems = nullptr;
    QPushButton* cmdExit[2];
    Ref<EngineClient> m_client;

  private:
    ObjectRef formObject();
    // Finishes the files in flight, if any (before anything is said, and before the run ends).
    void settleFiles() const;
    void flushChangedFolders();

    ObjectRef m_engine;
    ObjectRef m_progress;
    ObjectRef m_toolTips;
    ObjectRef m_helpTopic;
    Ref<ControlObject> m_form;
    bool m_unloaded = false;
    std::unique_ptr<FilesInFlight> m_inFlight;  // during a folder's walk
    std::set<std::u16string> m_changedFolders;  // where a name was removed, to be flushed at the end
};

}  // namespace velmora
