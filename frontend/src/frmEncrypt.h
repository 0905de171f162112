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
    // Encrypts one file in place and renames it; false when it kept its plain contents and name.
    bool encryptFile(const std::u16string& path);

    QGroupBox* frmPass;
    QLineEdit* Text1[2];
};

}  // namespace velmora
