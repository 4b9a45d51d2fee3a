// Reading the tables of written WordprocessingML back: a small element tree of the writer's own
// output (no comments, no CDATA, attributes in double quotes), walked the way a word processor
// reads table cells.

#include "TableFixtures.h"

#include <functional>

namespace kx::tabletest {
namespace {

struct Node {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::vector<std::unique_ptr<Node>> children;
    std::string text;
    Node* parent = nullptr;
};

std::string decode(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out.push_back(s[i]);
            continue;
        }
        const size_t end = s.find(';', i);
        const std::string entity = s.substr(i + 1, end - i - 1);
        if (entity == "amp") out.push_back('&');
        else if (entity == "lt") out.push_back('<');
        else if (entity == "gt") out.push_back('>');
        else if (entity == "quot") out.push_back('"');
        else if (entity == "apos") out.push_back('\'');
        i = end;
    }
    return out;
}

std::unique_ptr<Node> parse(const std::string& xml) {
    auto root = std::make_unique<Node>();
    Node* current = root.get();
    size_t i = 0;
    while (i < xml.size()) {
        if (xml[i] != '<') {
            const size_t end = xml.find('<', i);
            current->text += decode(xml.substr(i, end - i));
            i = end;
            continue;
        }
        const size_t end = xml.find('>', i);
        std::string tag = xml.substr(i + 1, end - i - 1);
        i = end + 1;
        if (tag.empty() || tag[0] == '?') continue;
        if (tag[0] == '/') {
            current = current->parent;
            continue;
        }
        const bool empty = tag.back() == '/';
        if (empty) tag.pop_back();
        auto node = std::make_unique<Node>();
        size_t k = tag.find_first_of(" \t\n");
        node->name = tag.substr(0, k);
        while (k != std::string::npos && k < tag.size()) {
            const size_t eq = tag.find('=', k);
            if (eq == std::string::npos) break;
            std::string key = tag.substr(k, eq - k);
            key.erase(0, key.find_first_not_of(" \t\n"));
            const size_t q1 = tag.find('"', eq), q2 = tag.find('"', q1 + 1);
            node->attributes[key] = decode(tag.substr(q1 + 1, q2 - q1 - 1));
            k = q2 + 1;
        }
        node->parent = current;
        Node* raw = node.get();
        current->children.push_back(std::move(node));
        if (!empty) current = raw;
    }
    return root;
}

const Node* child(const Node* n, const std::string& name) {
    if (!n) return nullptr;
    for (const auto& c : n->children)
        if (c->name == name) return c.get();
    return nullptr;
}

std::string allText(const Node& n) {
    std::string s = n.name == "w:t" ? n.text : "";
    for (const auto& c : n.children) s += allText(*c);
    return s;
}

std::map<std::string, std::string> bordersOf(const Node* borders) {
    std::map<std::string, std::string> out;
    if (!borders) return out;
    for (const auto& side : borders->children) out[side->name.substr(2)] = side->attributes.count("w:val") ? side->attributes.at("w:val") : "";
    return out;
}

WrittenTable readTable(const Node& tbl) {
    WrittenTable table;
    if (const Node* grid = child(&tbl, "w:tblGrid")) table.gridColumns = static_cast<int>(grid->children.size());
    table.borders = bordersOf(child(child(&tbl, "w:tblPr"), "w:tblBorders"));
    for (const Node* p = tbl.parent; p; p = p->parent)
        if (p->name == "w:txbxContent") table.inTextBox = true;
    for (const auto& tr : tbl.children) {
        if (tr->name != "w:tr") continue;
        WrittenRow row;
        for (const auto& tc : tr->children) {
            if (tc->name != "w:tc") continue;
            WrittenCell cell;
            const Node* tcPr = child(tc.get(), "w:tcPr");
            if (const Node* span = child(tcPr, "w:gridSpan")) cell.gridSpan = std::stoi(span->attributes.at("w:val"));
            if (const Node* merge = child(tcPr, "w:vMerge"))
                cell.vMerge = merge->attributes.count("w:val") ? merge->attributes.at("w:val") : "continue";
            if (const Node* shd = child(tcPr, "w:shd")) cell.fill = shd->attributes.count("w:fill") ? shd->attributes.at("w:fill") : "";
            cell.borders = bordersOf(child(tcPr, "w:tcBorders"));
            std::vector<std::string> texts;
            for (const auto& c : tc->children) {
                if (c->name == "w:p") {
                    ++cell.paragraphs;
                    texts.push_back(allText(*c));
                }
                if (c->name == "w:tbl") ++cell.nestedTables;
            }
            for (size_t k = 0; k < texts.size(); ++k) cell.text += (k ? "\n" : "") + texts[k];
            cell.endsWithParagraph = !tc->children.empty() && tc->children.back()->name == "w:p";
            row.push_back(cell);
        }
        table.rows.push_back(row);
    }
    return table;
}

}  // namespace

std::vector<WrittenTable> writtenTables(const std::string& xml) {
    std::unique_ptr<Node> root = parse(xml);
    std::vector<WrittenTable> tables;
    std::function<void(const Node&)> walk = [&](const Node& n) {
        if (n.name == "w:tbl") tables.push_back(readTable(n));
        for (const auto& c : n.children) walk(*c);
    };
    walk(*root);
    return tables;
}

}  // namespace kx::tabletest
