// The one error type of the suite: number, description, source, help file and help context.
// Run-time errors keep their platform numbers and standard texts; components raise their own numbers.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace velmora {

// Standard run-time error numbers the suite raises or expects.
namespace err {
constexpr std::int32_t ReturnWithoutGoSub = 3;
constexpr std::int32_t InvalidProcedureCall = 5;
constexpr std::int32_t Overflow = 6;
constexpr std::int32_t OutOfMemory = 7;
constexpr std::int32_t SubscriptOutOfRange = 9;
constexpr std::int32_t ArrayFixedOrLocked = 10;
constexpr std::int32_t DivisionByZero = 11;
constexpr std::int32_t TypeMismatch = 13;
constexpr std::int32_t OutOfStringSpace = 14;
constexpr std::int32_t BadFileNameOrNumber = 52;
constexpr std::int32_t FileNotFound = 53;
constexpr std::int32_t BadFileMode = 54;
constexpr std::int32_t FileAlreadyOpen = 55;
constexpr std::int32_t DeviceIOError = 57;
constexpr std::int32_t FileAlreadyExists = 58;
constexpr std::int32_t DiskFull = 61;
constexpr std::int32_t InputPastEndOfFile = 62;
constexpr std::int32_t PermissionDenied = 70;
constexpr std::int32_t PathFileAccessError = 75;
constexpr std::int32_t PathNotFound = 76;
constexpr std::int32_t ObjectNotSet = 91;
constexpr std::int32_t InvalidUseOfNull = 94;
constexpr std::int32_t ObjectRequired = 424;
constexpr std::int32_t CantCreateObject = 429;
constexpr std::int32_t AutomationError = 440;
constexpr std::int32_t NoSuchMember = 438;
constexpr std::int32_t ArgumentNotOptional = 449;
constexpr std::int32_t WrongArgumentCount = 450;
constexpr std::int32_t PropertyLetNotDefined = 451;
constexpr std::int32_t KeyAlreadyAssociated = 457;
constexpr std::int32_t RemoteServerUnavailable = 462;
}  // namespace err

// The component-error base (0x80040000) that components add their own codes to.
constexpr std::int32_t vbObjectError = static_cast<std::int32_t>(0x80040000u);

class RuntimeError : public std::exception {
  public:
    // A standard run-time error with its standard description.
    explicit RuntimeError(std::int32_t number, std::u16string source = {});
    RuntimeError(std::int32_t number, std::u16string description, std::u16string source,
                 std::u16string helpFile = {}, std::int32_t helpContext = 0);

    std::int32_t number() const noexcept { return m_number; }
    const std::u16string& description() const noexcept { return m_description; }
    const std::u16string& source() const noexcept { return m_source; }
    const std::u16string& helpFile() const noexcept { return m_helpFile; }
    std::int32_t helpContext() const noexcept { return m_helpContext; }

    // Fills in the source where the raiser left it empty (as the platform does on the way out).
    void setSourceIfEmpty(std::u16string_view source);

    const char* what() const noexcept override { return m_what.c_str(); }

  private:
    std::int32_t m_number;
    std::u16string m_description;
    std::u16string m_source;
    std::u16string m_helpFile;
    std::int32_t m_helpContext;
    std::string m_what;  // UTF-8 form for diagnostics
    void updateWhat();
};

// The platform's text for a standard run-time error ("Application-defined or object-defined error"
// for numbers it does not know).
std::u16string standardErrorText(std::int32_t number);

[[noreturn]] void raise(std::int32_t number, std::u16string source = {});
[[noreturn]] void raise(std::int32_t number, std::u16string description, std::u16string source);

}  // namespace velmora
