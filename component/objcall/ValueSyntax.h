// The value and step syntax of objcall, and the text form it prints values in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Variant.h"

namespace velmora::objcall {

// A parsed argument: a value, or the word `sink` (objcall's own recording object, made by the caller).
struct ArgValue {
    Variant value;
    bool isSink = false;
};

// VALUE: i16:5 i32:5 5 u8:7 f32:1.5 d:1.5 cy:1.5 b:true s:text "text" date:2024-03-05T14:30:00
//        bytes:0a0b bytes@FILE empty null sink. Raises error 5 with a description for bad text.
ArgValue parseValue(std::string_view text);

// Wait is objcall's own step, not a member call: @ cannot start a member name, so it never clashes.
enum class StepKind { Get, Let, Set, Call, Wait };

struct Step {
    std::string name;
    StepKind kind = StepKind::Get;
    std::vector<std::string> args;  // argument texts, trimmed; a let/set value is the last one
    std::uint32_t waitMs = 0;       // Wait: how long
};

// STEP: Name | Name=VALUE | Name:=VALUE | Name(ARG,...) [=VALUE | :=VALUE] | @wait(MS), MS a whole
// number of milliseconds up to 2147483647. Raises error 5 when malformed (6 for a longer wait).
Step parseStep(std::string_view text);

// type:value as objcall prints it; arrays other than byte arrays take one line per element after the
// first (each line after the first starts with a newline and the given indent).
std::string formatValue(const Variant& value, std::string_view indent = "  ");

// C-style escaping of a string's backslash and control characters.
std::string escapeText(std::string_view utf8);

}  // namespace velmora::objcall
