#include "XmlParsers.h"

#include <cstdlib>
#include <cstring>
#include <pugixml.hpp>

#include "Transport.h"

namespace skrw::aws {
namespace {

using namespace Aws::S3::Model;

// Predefined entities and character references only; DOCTYPE nodes are kept
// so that a document carrying one can be refused. Text is kept byte for byte:
// no end-of-line normalisation (a key "a\r\nb" stays itself) and text made only
// of white space is kept (a key " " is not the empty key).
constexpr unsigned kParseOptions =
    pugi::parse_cdata | pugi::parse_escapes | pugi::parse_ws_pcdata | pugi::parse_doctype;

std::string_view localName(const char* name) {
    const char* colon = std::strchr(name, ':');
    return colon != nullptr ? colon + 1 : name;
}

pugi::xml_node child(pugi::xml_node parent, std::string_view name) {
    for (pugi::xml_node node : parent.children()) {
        if (node.type() == pugi::node_element && localName(node.name()) == name) return node;
    }
    return {};
}

// The element's whole text: every text and CDATA piece in order, so that a
// piece made only of white space before a CDATA section is not lost.
std::string text(pugi::xml_node parent, std::string_view name) {
    std::string out;
    for (pugi::xml_node node : child(parent, name).children()) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            out += node.value();
        }
    }
    return out;
}

// The document element of `body`, loaded into `document`, when it is named `rootName`.
Parsed<pugi::xml_node> load(std::string_view body, std::string_view rootName,
                            pugi::xml_document& document) {
    if (body.size() > kMaxDocumentBytes) return XmlRefusal{std::string(kAnswerTooLarge)};
    const pugi::xml_parse_result result =
        document.load_buffer(body.data(), body.size(), kParseOptions, pugi::encoding_utf8);
    if (!result) return XmlRefusal{std::string("malformed XML (") + result.description() + ")"};
    for (pugi::xml_node node : document.children()) {
        if (node.type() == pugi::node_doctype) {
            return XmlRefusal{"a document type declaration is not accepted"};
        }
    }
    const pugi::xml_node root = document.document_element();
    if (!root) return XmlRefusal{"no document element"};
    if (localName(root.name()) != rootName) {
        return XmlRefusal{"unexpected document element <" + std::string(root.name()) + ">"};
    }
    return root;
}

long long toInteger(const std::string& digits) {
    return std::strtoll(digits.c_str(), nullptr, 10);
}

Object parseObject(pugi::xml_node node) {
    Object object;
    object.SetKey(text(node, "Key"));
    object.SetLastModified(
        Aws::Utils::DateTime(text(node, "LastModified"), Aws::Utils::DateFormat::ISO_8601));
    object.SetETag(text(node, "ETag"));
    object.SetSize(toInteger(text(node, "Size")));
    object.SetStorageClass(
        ObjectStorageClassMapper::GetObjectStorageClassForName(text(node, "StorageClass")));
    if (pugi::xml_node ownerNode = child(node, "Owner")) {
        Owner owner;
        if (child(ownerNode, "DisplayName")) owner.SetDisplayName(text(ownerNode, "DisplayName"));
        if (child(ownerNode, "ID")) owner.SetID(text(ownerNode, "ID"));
        object.SetOwner(owner);
    }
    return object;
}

}  // namespace

std::optional<ServiceError> parseErrorDocument(std::string_view body) {
    pugi::xml_document document;
    const Parsed<pugi::xml_node> root = load(body, "Error", document);
    if (!root.ok()) return std::nullopt;
    return ServiceError{text(root.result(), "Code"), text(root.result(), "Message")};
}

Parsed<ListBucketsResult> parseListBuckets(std::string_view body) {
    pugi::xml_document document;
    const Parsed<pugi::xml_node> loaded = load(body, "ListAllMyBucketsResult", document);
    if (!loaded.ok()) return XmlRefusal{loaded.refusal()};
    const pugi::xml_node root = loaded.result();
    ListBucketsResult out;
    Aws::Vector<Bucket> buckets;
    for (pugi::xml_node node : child(root, "Buckets").children()) {
        if (node.type() != pugi::node_element || localName(node.name()) != "Bucket") continue;
        Bucket bucket;
        bucket.SetName(text(node, "Name"));
        bucket.SetCreationDate(
            Aws::Utils::DateTime(text(node, "CreationDate"), Aws::Utils::DateFormat::ISO_8601));
        buckets.push_back(std::move(bucket));
    }
    out.SetBuckets(std::move(buckets));
    if (pugi::xml_node ownerNode = child(root, "Owner")) {
        Owner owner;
        owner.SetDisplayName(text(ownerNode, "DisplayName"));
        owner.SetID(text(ownerNode, "ID"));
        out.SetOwner(owner);
    }
    return out;
}

Parsed<ListObjectsV2Result> parseListObjectsV2(std::string_view body) {
    pugi::xml_document document;
    const Parsed<pugi::xml_node> loaded = load(body, "ListBucketResult", document);
    if (!loaded.ok()) return XmlRefusal{loaded.refusal()};
    const pugi::xml_node root = loaded.result();
    ListObjectsV2Result out;
    Aws::Vector<Object> contents;
    Aws::Vector<CommonPrefix> prefixes;
    for (pugi::xml_node node : root.children()) {
        if (node.type() != pugi::node_element) continue;
        const std::string_view name = localName(node.name());
        if (name == "Contents") {
            contents.push_back(parseObject(node));
        } else if (name == "CommonPrefixes") {
            CommonPrefix prefix;
            prefix.SetPrefix(text(node, "Prefix"));
            prefixes.push_back(std::move(prefix));
        }
    }
    out.SetContents(std::move(contents));
    out.SetCommonPrefixes(std::move(prefixes));
    out.SetIsTruncated(text(root, "IsTruncated") == "true");
    out.SetNextContinuationToken(text(root, "NextContinuationToken"));
    out.SetContinuationToken(text(root, "ContinuationToken"));
    out.SetKeyCount(static_cast<int>(toInteger(text(root, "KeyCount"))));
    out.SetMaxKeys(static_cast<int>(toInteger(text(root, "MaxKeys"))));
    out.SetName(text(root, "Name"));
    out.SetPrefix(text(root, "Prefix"));
    out.SetDelimiter(text(root, "Delimiter"));
    return out;
}

Parsed<CopyObjectResult> parseCopyObjectResult(std::string_view body) {
    pugi::xml_document document;
    const Parsed<pugi::xml_node> loaded = load(body, "CopyObjectResult", document);
    if (!loaded.ok()) return XmlRefusal{loaded.refusal()};
    const pugi::xml_node root = loaded.result();
    CopyObjectResult out;
    out.SetETag(text(root, "ETag"));
    out.SetLastModified(
        Aws::Utils::DateTime(text(root, "LastModified"), Aws::Utils::DateFormat::ISO_8601));
    return out;
}

}  // namespace skrw::aws
