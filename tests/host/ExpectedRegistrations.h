#pragma once
// What the host must learn from the plug-in: its thirteen script functions in
// registration order with their bounds, and the parameter definition of each
// script step, byte for byte.
#include <array>
#include <cstdint>
#include <string_view>

namespace skrw::hosttest {

struct ExpectedFunction {
    std::int16_t id;
    std::string_view name;
    std::int16_t least;
    std::int16_t most;
    std::string_view definition;
    std::size_t definitionLength;
};

inline constexpr std::uint32_t kFlags = 65281;

// clang-format off
inline constexpr std::array<ExpectedFunction, 13> kExpectedFunctions{{
    {150, "SKRW_Version", 0, 1,
     R"(<pluginstep><parameter type="target" label="Results" showinline="true"/><parameter type="list" showinline="true" label="Version Type" default="0" ID="0"><value ID="0">Please Select</value><value ID="1">Short</value><value ID="2">Long</value></parameter></pluginstep>)", 266},
    {153, "SKRW_GetLastError", 0, 1,
     R"(<pluginstep><parameter type="target" label="Results" showinline="true"/><parameter type="list" showinline="true" label="Error Type" default="0" ID="0"><value ID="0">Please Select</value><value ID="1">Text</value><value ID="2">Number</value></parameter></pluginstep>)", 265},
    {200, "SKRW_UseCredentials", 3, 4,
     R"(<pluginstep><parameter type="target" label="Results" showinline="true"/><parameter type="calc" showinline="true" label="Service" datatype="Text" ID="0"/><parameter type="calc" showinline="true" label="Username" datatype="Text" ID="1"/><parameter type="calc" showinline="true" label="Password" datatype="Text" ID="2"/><parameter type="calc" showinline="true" label="Optional Parameters" datatype="Text" ID="3"/></pluginstep>)", 423},
    {201, "SKRW_ListAllBuckets", 0, 0,
     R"(<pluginstep><parameter type="target" label="Results" showinline="true"/></pluginstep>)", 85},
    {202, "SKRW_GetBucket", 1, 5,
     R"(<pluginstep><parameter type="target" label="Results" showinline="true"/><parameter type="calc" showinline="true" label="Folder ID" datatype="Text" ID="0"/><parameter type="calc" showinline="true" label="Prefix" datatype="Text" ID="1"/><parameter type="calc" showinline="true" label="Delimiter" datatype="Text" ID="2"/><parameter type="calc" showinline="true" label="Max Keys" datatype="Text" ID="3"/></pluginstep>)", 413},
    {203, "SKRW_GetBucketProperty", 2, 2,
     R"(<pluginstep><parameter type="target" label="Results" showinline="true"/><parameter type="calc" showinline="true" label="Property Name" datatype="Text" ID="0"/><parameter type="calc" showinline="true" label="Index" datatype="Number" ID="1"/></pluginstep>)", 253},
    {204, "SKRW_CreateBucket", 1, 1,
     R"(<pluginstep><parameter type="target" label="Results" showinline="true"/><parameter type="calc" showinline="true" label="Folder ID" datatype="Text" ID="0"/><parameter type="calc" showinline="true" label="Region" datatype="Text" ID="1"/></pluginstep>)", 248},
    {205, "SKRW_DeleteBucket", 1, 1,
     R"(<pluginstep><parameter type="target" label="Results" showinline="true"/><parameter type="calc" showinline="true" label="Folder ID" datatype="Text" ID="0"/></pluginstep>)", 168},
    {206, "SKRW_GetObject", 3, 3,
     R"(<pluginstep><parameter type="target" label="Results" showinline="true"/><parameter type="calc" showinline="true" label="Folder ID" datatype="Text" ID="0"/><parameter type="calc" showinline="true" label="Object ID" datatype="Text" ID="1"/><parameter type="calc" showinline="true" label="File Path" datatype="Text" ID="2"/></pluginstep>)", 334},
    {207, "SKRW_PostObject", 3, 4,
     R"(<pluginstep><parameter type="target" label="Results" showinline="true"/><parameter type="calc" showinline="true" label="Folder ID" datatype="Text" ID="0"/><parameter type="calc" showinline="true" label="Object ID" datatype="Text" ID="1"/><parameter type="calc" showinline="true" label="File Path" datatype="Text" ID="2"/><parameter type="bool" showinline="true" label="Delete After Post" default="false" ID="3"/></pluginstep>)", 425},
    {208, "SKRW_CopyObject", 4, 4,
     R"(<pluginstep><parameter type="target" label="Results" showinline="true"/><parameter type="calc" showinline="true" label="Source Folder ID" datatype="Text" ID="0"/><parameter type="calc" showinline="true" label="Source Object ID" datatype="Text" ID="1"/><parameter type="calc" showinline="true" label="Destination Folder ID" datatype="Text" ID="2"/><parameter type="calc" showinline="true" label="Destination Object ID" datatype="Text" ID="3"/></pluginstep>)", 455},
    {209, "SKRW_DeleteObject", 2, 2,
     R"(<pluginstep><parameter type="target" label="Results" showinline="true"/><parameter type="calc" showinline="true" label="Folder ID" datatype="Text" ID="0"/><parameter type="calc" showinline="true" label="Object ID" datatype="Text" ID="1"/></pluginstep>)", 251},
    {210, "SKRW_Debug", 0, 0, "", 0},
}};
// clang-format on

}  // namespace skrw::hosttest
