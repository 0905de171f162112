// The encrypt dialog: a method, a password and its confirmation; then every file and folder named on the
// command line is encrypted in place and renamed with ".zqf" appended.
#pragma once

#include <QGroupBox>
#include <QLineEdit>

#include "CipherForm.h"

namespace velmora {

class frmEncrypt final : public CipherForm {
  public:
    frmEncrypt();

    bool load() override;

  protected:
    void buttonClick(int index) override;

  private:
    void encryptArgument(const std::u16string& path);
    void encryptFolder(const std::u16string& folder);
    // Encrypts one file in place and renames it (during a folder's walk, its plain name goes once the
    // result stands, which may be after the next file's turn).
    void encryptFile(const std::u16string& path);

    QGroupBox* frmPass;
    QLineEdit* Text1[2];
};

}  // namespace velmora
