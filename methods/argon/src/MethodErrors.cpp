#include "argon/MethodErrors.h"

#include "platform/win32types.h"

namespace velmora::argonbox {

void raiseMethodError(std::int32_t number) {
    switch (number) {
        case methodError::SourceMissing:
            raise(number, u"The source file does not exist.", u"");
        case methodError::NotThisMethod:
            raise(number, u"This file was not encrypted with this method.", u"");
        case methodError::UnsupportedParameters:
            raise(number, u"The file's encryption parameters are outside the limits this method accepts.",
                  u"");
        case methodError::LibraryUnavailable:
            raise(number, u"The cryptographic library could not be started.", u"");
        default:
            raise(methodError::WrongPasswordOrDamaged, u"The password is wrong or the file is damaged.", u"");
    }
}

}  // namespace velmora::argonbox
