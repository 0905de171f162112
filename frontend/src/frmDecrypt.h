// The decrypt dialog: a method and the password; then every encrypted file named on the command line is
// decrypted in place and loses its ".zqf" ("/d"), or decrypted into the temporary directory and opened
// there ("/v"). With "/d" a folder stands for every encrypted file of its tree, walked as the encrypt
// dialog walks one.
#pragma once

#include <QLineEdit>

#include "CipherForm.h"

namespace velmora {

class frmDecrypt final : public CipherForm {
  public:
    frmDecrypt();

    bool load() override;

  protected:
    void buttonClick(int index) override;

  private:
    void decryptArgument(const std::u16string& argument, const std::u16string& tempDirectory, bool inPlace);
    // An argument, or a file of a folder's walk, that is no folder and whose name the suite's paths carry.
    void decryptNamed(const std::u16string& argument, const std::u16string& tempDirectory, bool inPlace);
    // True when the argument is a folder (not a link to one): its tree has been decrypted in place.
    bool decryptedAsFolder(const std::u16string& argument, const std::u16string& tempDirectory);
    // DecryptFile with the stored key; a refusal that nobody explained is logged here.
    bool decrypt(const std::u16string& source, const std::u16string& destination);

    QLineEdit* Text1;
};

}  // namespace velmora
