#include "platform/PropertyList.h"

#include <pugixml.hpp>

#include <cstring>

#include "platform/Format.h"

namespace kx {

const PlistValue* PlistValue::find(const std::string& key) const {
    if (type != Type::Dictionary) return nullptr;
    auto it = dictionary.find(key);
    return it == dictionary.end() ? nullptr : &it->second;
}

double PlistValue::number(double fallback) const {
    if (type == Type::Integer) return static_cast<double>(integer);
    if (type == Type::Real) return real;
    return fallback;
}

namespace {

std::string decodeBase64(const char* s) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned buf = 0;
    int bits = 0;
    for (; *s; ++s) {
        if (*s == '=') break;
        auto pos = alphabet.find(*s);
        if (pos == std::string::npos) continue;  // white space inside <data>
        buf = (buf << 6) | static_cast<unsigned>(pos);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((buf >> bits) & 0xFF));
        }
    }
    return out;
}

constexpr int kMaxDepth = 256;

PlistValue parseNode(const pugi::xml_node& node, int depth) {
    PlistValue v;
    if (depth > kMaxDepth) return v;
    const char* name = node.name();
    if (!std::strcmp(name, "dict")) {
        v.type = PlistValue::Type::Dictionary;
        std::string key;
        bool haveKey = false;
        for (pugi::xml_node child : node.children()) {
            if (child.type() != pugi::node_element) continue;
            if (!std::strcmp(child.name(), "key")) {
                key = child.text().get();
                haveKey = true;
            } else if (haveKey) {
                v.dictionary[key] = parseNode(child, depth + 1);
                haveKey = false;
            }
        }
    } else if (!std::strcmp(name, "array")) {
        v.type = PlistValue::Type::Array;
        for (pugi::xml_node child : node.children())
            if (child.type() == pugi::node_element) v.array.push_back(parseNode(child, depth + 1));
    } else if (!std::strcmp(name, "string")) {
        v.type = PlistValue::Type::String;
        v.string = node.text().get();
    } else if (!std::strcmp(name, "integer")) {
        v.type = PlistValue::Type::Integer;
        v.integer = parseInteger(node.text().get()).value_or(0);
    } else if (!std::strcmp(name, "real")) {
        v.type = PlistValue::Type::Real;
        v.real = parseDouble(node.text().get()).value_or(0);
    } else if (!std::strcmp(name, "true") || !std::strcmp(name, "false")) {
        v.type = PlistValue::Type::Boolean;
        v.boolean = name[0] == 't';
    } else if (!std::strcmp(name, "data")) {
        v.type = PlistValue::Type::Data;
        v.string = decodeBase64(node.text().get());
    } else if (!std::strcmp(name, "date")) {
        v.type = PlistValue::Type::Date;
        v.string = node.text().get();
    }
    return v;
}

std::optional<PlistValue> fromDocument(const pugi::xml_document& doc) {
    pugi::xml_node root = doc.child("plist");
    pugi::xml_node first = root ? root.first_child() : doc.first_child();
    while (first && first.type() != pugi::node_element) first = first.next_sibling();
    if (!first) return std::nullopt;
    return parseNode(first, 0);
}

}  // namespace

std::optional<PlistValue> readPropertyList(const std::string& path) {
    pugi::xml_document doc;
    if (!doc.load_file(path.c_str())) return std::nullopt;
    return fromDocument(doc);
}

std::optional<PlistValue> parsePropertyList(const std::string& xml) {
    pugi::xml_document doc;
    if (!doc.load_buffer(xml.data(), xml.size())) return std::nullopt;
    return fromDocument(doc);
}

}  // namespace kx
