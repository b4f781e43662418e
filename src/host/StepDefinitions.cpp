#include "host/StepDefinitions.h"

#include <array>
#include <utility>

namespace skrw::host {
namespace {

struct Definition {
    int functionId;
    std::string_view text;
};

// One line each, byte for byte what the host expects: no blanks between
// elements, the target first with its attributes in the order type, label,
// showinline, every other parameter with type, showinline, label first.
constexpr std::array<Definition, 12> kDefinitions{{
    // SKRW_Version
    {150,
     "<pluginstep>"
     "<parameter type=\"target\" label=\"Results\" showinline=\"true\"/>"
     "<parameter type=\"list\" showinline=\"true\" label=\"Version Type\" default=\"0\" ID=\"0\">"
     "<value ID=\"0\">Please Select</value>"
     "<value ID=\"1\">Short</value>"
     "<value ID=\"2\">Long</value>"
     "</parameter>"
     "</pluginstep>"},
    // SKRW_GetLastError
    {153,
     "<pluginstep>"
     "<parameter type=\"target\" label=\"Results\" showinline=\"true\"/>"
     "<parameter type=\"list\" showinline=\"true\" label=\"Error Type\" default=\"0\" ID=\"0\">"
     "<value ID=\"0\">Please Select</value>"
     "<value ID=\"1\">Text</value>"
     "<value ID=\"2\">Number</value>"
     "</parameter>"
     "</pluginstep>"},
    // SKRW_UseCredentials
    {200,
     "<pluginstep>"
     "<parameter type=\"target\" label=\"Results\" showinline=\"true\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Service\" datatype=\"Text\" ID=\"0\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Username\" datatype=\"Text\" ID=\"1\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Password\" datatype=\"Text\" ID=\"2\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Optional Parameters\" datatype=\"Text\" "
     "ID=\"3\"/>"
     "</pluginstep>"},
    // SKRW_ListAllBuckets
    {201,
     "<pluginstep>"
     "<parameter type=\"target\" label=\"Results\" showinline=\"true\"/>"
     "</pluginstep>"},
    // SKRW_GetBucket
    {202,
     "<pluginstep>"
     "<parameter type=\"target\" label=\"Results\" showinline=\"true\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Folder ID\" datatype=\"Text\" ID=\"0\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Prefix\" datatype=\"Text\" ID=\"1\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Delimiter\" datatype=\"Text\" ID=\"2\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Max Keys\" datatype=\"Text\" ID=\"3\"/>"
     "</pluginstep>"},
    // SKRW_GetBucketProperty
    {203,
     "<pluginstep>"
     "<parameter type=\"target\" label=\"Results\" showinline=\"true\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Property Name\" datatype=\"Text\" "
     "ID=\"0\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Index\" datatype=\"Number\" ID=\"1\"/>"
     "</pluginstep>"},
    // SKRW_CreateBucket
    {204,
     "<pluginstep>"
     "<parameter type=\"target\" label=\"Results\" showinline=\"true\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Folder ID\" datatype=\"Text\" ID=\"0\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Region\" datatype=\"Text\" ID=\"1\"/>"
     "</pluginstep>"},
    // SKRW_DeleteBucket
    {205,
     "<pluginstep>"
     "<parameter type=\"target\" label=\"Results\" showinline=\"true\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Folder ID\" datatype=\"Text\" ID=\"0\"/>"
     "</pluginstep>"},
    // SKRW_GetObject
    {206,
     "<pluginstep>"
     "<parameter type=\"target\" label=\"Results\" showinline=\"true\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Folder ID\" datatype=\"Text\" ID=\"0\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Object ID\" datatype=\"Text\" ID=\"1\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"File Path\" datatype=\"Text\" ID=\"2\"/>"
     "</pluginstep>"},
    // SKRW_PostObject
    {207,
     "<pluginstep>"
     "<parameter type=\"target\" label=\"Results\" showinline=\"true\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Folder ID\" datatype=\"Text\" ID=\"0\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Object ID\" datatype=\"Text\" ID=\"1\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"File Path\" datatype=\"Text\" ID=\"2\"/>"
     "<parameter type=\"bool\" showinline=\"true\" label=\"Delete After Post\" default=\"false\" "
     "ID=\"3\"/>"
     "</pluginstep>"},
    // SKRW_CopyObject
    {208,
     "<pluginstep>"
     "<parameter type=\"target\" label=\"Results\" showinline=\"true\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Source Folder ID\" datatype=\"Text\" "
     "ID=\"0\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Source Object ID\" datatype=\"Text\" "
     "ID=\"1\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Destination Folder ID\" "
     "datatype=\"Text\" ID=\"2\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Destination Object ID\" "
     "datatype=\"Text\" ID=\"3\"/>"
     "</pluginstep>"},
    // SKRW_DeleteObject
    {209,
     "<pluginstep>"
     "<parameter type=\"target\" label=\"Results\" showinline=\"true\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Folder ID\" datatype=\"Text\" ID=\"0\"/>"
     "<parameter type=\"calc\" showinline=\"true\" label=\"Object ID\" datatype=\"Text\" ID=\"1\"/>"
     "</pluginstep>"},
}};

}  // namespace

std::string_view stepDefinition(int functionId) {
    for (const Definition& definition : kDefinitions) {
        if (definition.functionId == functionId) return definition.text;
    }
    return {};
}

}  // namespace skrw::host

void GetXMLDefinition(std::int16_t functionId, fmx::TextUniquePtr& text) {
    const std::string_view definition = skrw::host::stepDefinition(functionId);
    if (definition.empty()) {
        text->Assign("", fmx::Text::kEncodingNative);
        return;
    }
    // The definitions are literals, so their data is zero-terminated.
    text->Assign(definition.data(), fmx::Text::kEncodingUtf8);
}
