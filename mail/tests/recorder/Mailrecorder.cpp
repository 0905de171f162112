// Recording stand-ins for the components this platform does not have: the Simple MAPI session and
// message controls and the Notes automation objects. Every call is appended as one line to the file
// named by $VELMORA_MAILRECORDER_LOG; $VELMORA_MAILRECORDER_FAIL ("Member=number,...") makes each named
// member raise that error the first time it is called in the process.
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "component/ClassBuilder.h"
#include "component/ClassTable.h"
#include "component/ComObject.h"
#include "component/LibraryExports.h"
#include "runtime/Error.h"
#include "runtime/text.h"

namespace {

using namespace velmora;

std::string describeValue(const Variant& value) {
    switch (value.type()) {
        case VarType::String:
            return "\"" + toUtf8(value.toString()) + "\"";
        case VarType::Boolean:
            return value.toBool() ? "True" : "False";
        case VarType::Object:
            return value.toObject() ? "<" + toUtf8(value.toObject()->typeName()) + ">" : "Nothing";
        case VarType::Empty:
            return "Empty";
        default:
            return toUtf8(value.toString());
    }
}

void record(const std::string& line) {
    const char* path = std::getenv("VELMORA_MAILRECORDER_LOG");
    if (!path) return;
    std::ofstream(path, std::ios::app) << line << '\n';
}

// Raises the configured error for member once per process.
void failIfAsked(const std::string& member) {
    static std::set<std::string> raised;
    static std::string lastFailures;
    const char* failures = std::getenv("VELMORA_MAILRECORDER_FAIL");
    if (!failures) return;
    // A new setting starts afresh.
    if (lastFailures != failures) {
        lastFailures = failures;
        raised.clear();
    }
    if (raised.count(member)) return;
    const std::string text = std::string(",") + failures + ",";
    const auto at = text.find("," + member + "=");
    if (at == std::string::npos) return;
    raised.insert(member);
    const int number = std::atoi(text.c_str() + at + member.size() + 2);
    raise(number, u"Failed on purpose", fromUtf8(member));
}

constexpr char16_t kSession[] = u"MAPISession";
constexpr char16_t kMessages[] = u"MAPIMessages";
constexpr char16_t kNotes[] = u"NotesSession";

class Recorder : public Object {
  public:
    explicit Recorder(std::u16string name) : m_name(std::move(name)) {}

    std::u16string typeName() const override { return m_name; }

    Variant invoke(std::u16string_view member, InvokeKind kind, std::span<Variant> args) override {
        const std::string name = toUtf8(member);
        std::string line = toUtf8(m_name) + "." + name;
        if (kind == InvokePropertyLet || kind == InvokePropertySet) {
            line += " = " + (args.empty() ? std::string() : describeValue(args.back()));
        } else if (kind == InvokePropertyGet && args.empty()) {
            line += "?";
        } else {
            line += "(";
            for (std::size_t i = 0; i < args.size(); ++i) line += (i ? ", " : "") + describeValue(args[i]);
            line += ")";
        }
        record(line);
        failIfAsked(name);
        if (kind == InvokePropertyLet || kind == InvokePropertySet) {
            if (!args.empty()) m_properties[name] = args.back();
            return {};
        }
        if (auto found = m_properties.find(name); found != m_properties.end() && args.empty())
            return found->second;
        return answer(name);
    }

  private:
    Variant answer(const std::string& member) {
        if (member == "SessionID") return std::int32_t{4711};
        if (member == "MsgOrigDisplayName") return Variant(u"Recorded Sender");
        if (member == "MsgOrigAddress") return Variant(u"smtp:sender@recorded.test");
        if (member == "RecipCount") return std::int32_t{0};
        if (member == "GetDatabase") return Variant(ObjectRef(makeObject<Recorder>(u"NotesDatabase")));
        if (member == "CreateDocument") return Variant(ObjectRef(makeObject<Recorder>(u"NotesDocument")));
        if (member == "CreateRichTextItem")
            return Variant(ObjectRef(makeObject<Recorder>(u"NotesRichTextItem")));
        if (member == "CreateRichTextStyle")
            return Variant(ObjectRef(makeObject<Recorder>(u"NotesRichTextStyle")));
        return {};
    }

    std::u16string m_name;
    std::map<std::string, Variant> m_properties;
};

// An empty member table of the class's name: the recorder answers every name itself.
template <const char16_t* Name>
const ClassInfo& emptyInfo() {
    static const ClassInfo info = ClassBuilder<ComObject>(Name).build();
    return info;
}

template <const char16_t* Name>
ObjectRef create() {
    record("create " + toUtf8(Name));
    return makeObject<Recorder>(Name);
}


ClassTable makeClassTable() {
    return ClassTable(u"Mailrecorder")
        .add(CoClass{u"{5B0E9C1A-7D3F-4E2B-9A61-3C8D2F4B7E01}", u"SimpleMAPI.MAPISession", &emptyInfo<kSession>,
                     &create<kSession>})
        .add(CoClass{u"{5B0E9C1A-7D3F-4E2B-9A61-3C8D2F4B7E02}", u"SimpleMAPI.MAPIMessages", &emptyInfo<kMessages>,
                     &create<kMessages>})
        .add(CoClass{u"{5B0E9C1A-7D3F-4E2B-9A61-3C8D2F4B7E03}", u"Notes.Notessession", &emptyInfo<kNotes>,
                     &create<kNotes>});
}

}  // namespace

VELMORA_EXPORT_CLASS_TABLE(makeClassTable)
