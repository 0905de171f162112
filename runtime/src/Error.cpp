// The error type and the standard run-time error texts.
#include "runtime/Error.h"

#include <unordered_map>

#include "runtime/text.h"

namespace velmora {

std::u16string standardErrorText(std::int32_t number) {
    static const std::unordered_map<std::int32_t, const char16_t*> texts = {
        {3, u"Return without GoSub"},
        {5, u"Invalid procedure call or argument"},
        {6, u"Overflow"},
        {7, u"Out of memory"},
        {9, u"Subscript out of range"},
        {10, u"This array is fixed or temporarily locked"},
        {11, u"Division by zero"},
        {13, u"Type mismatch"},
        {14, u"Out of string space"},
        {52, u"Bad file name or number"},
        {53, u"File not found"},
        {54, u"Bad file mode"},
        {55, u"File already open"},
        {57, u"Device I/O error"},
        {58, u"File already exists"},
        {61, u"Disk full"},
        {62, u"Input past end of file"},
        {70, u"Permission denied"},
        {75, u"Path/File access error"},
        {76, u"Path not found"},
        {91, u"Object variable or With block variable not set"},
        {94, u"Invalid use of Null"},
        {424, u"Object required"},
        {429, u"ActiveX component can't create object"},
        {438, u"Object doesn't support this property or method"},
        {440, u"Automation error"},
        {449, u"Argument not optional"},
        {450, u"Wrong number of arguments or invalid property assignment"},
        {451, u"Property let procedure not defined and property get procedure did not return an object"},
        {457, u"This key is already associated with an element of this collection"},
        {462, u"The remote server machine does not exist or is unavailable"},
    };
    auto it = texts.find(number);
    return it != texts.end() ? it->second : u"Application-defined or object-defined error";
}

RuntimeError::RuntimeError(std::int32_t number, std::u16string source)
    : RuntimeError(number, standardErrorText(number), std::move(source)) {}

RuntimeError::RuntimeError(std::int32_t number, std::u16string description, std::u16string source,
                           std::u16string helpFile, std::int32_t helpContext)
    : m_number(number),
      m_description(std::move(description)),
      m_source(std::move(source)),
      m_helpFile(std::move(helpFile)),
      m_helpContext(helpContext) {
    updateWhat();
}

void RuntimeError::setSourceIfEmpty(std::u16string_view source) {
    if (!m_source.empty()) return;
    m_source = source;
    updateWhat();
}

void RuntimeError::updateWhat() {
    m_what = "error " + std::to_string(m_number) + " " + toUtf8(m_source) + ": " + toUtf8(m_description);
}

void raise(std::int32_t number, std::u16string source) {
    throw RuntimeError(number, std::move(source));
}

void raise(std::int32_t number, std::u16string description, std::u16string source) {
    throw RuntimeError(number, std::move(description), std::move(source));
}

}  // namespace velmora
