#include "ComparableTree.h"

#include <set>
#include <stdexcept>

namespace Markdown::Testing {

namespace {

const std::set<std::string, std::less<>> kComparedPayload = {"level",       "type",  "start", "info",
                                                             "destination", "title", "align", "completed"};
const std::set<std::string, std::less<>> kLiteralKinds = {"text",       "code",       "html_inline",
                                                          "html_block", "code_block", "custom_inline"};

void appendCodePoint(std::string& out, unsigned long cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            out.push_back(text[i++]);
            continue;
        }
        const std::size_t semicolon = text.find(';', i);
        if (semicolon == std::string_view::npos) {
            throw std::runtime_error("Unterminated XML entity");
        }
        const std::string_view entity = text.substr(i + 1, semicolon - i - 1);
        if (entity == "amp") {
            out.push_back('&');
        } else if (entity == "lt") {
            out.push_back('<');
        } else if (entity == "gt") {
            out.push_back('>');
        } else if (entity == "quot") {
            out.push_back('"');
        } else if (entity == "apos") {
            out.push_back('\'');
        } else if (entity.starts_with("#x") || entity.starts_with("#X")) {
            appendCodePoint(out, std::stoul(std::string(entity.substr(2)), nullptr, 16));
        } else if (entity.starts_with("#")) {
            appendCodePoint(out, std::stoul(std::string(entity.substr(1))));
        } else {
            throw std::runtime_error("Unknown XML entity &" + std::string(entity) + ";");
        }
        i = semicolon + 1;
    }
    return out;
}

class XmlReader {
public:
    explicit XmlReader(std::string_view xml) : xml_(xml) {}

    ComparableNode read() {
        std::vector<ComparableNode> open;
        ComparableNode root;
        bool haveRoot = false;
        while (pos_ < xml_.size()) {
            if (xml_[pos_] != '<') {
                const std::size_t next = xml_.find('<', pos_);
                const std::string_view text = xml_.substr(pos_, next - pos_);
                if (!open.empty()) {
                    open.back().literal += unescape(text);
                }
                pos_ = next == std::string_view::npos ? xml_.size() : next;
                continue;
            }
            if (xml_.substr(pos_, 2) == "<?" || xml_.substr(pos_, 2) == "<!") {
                skipPast('>');
                continue;
            }
            if (xml_.substr(pos_, 2) == "</") {
                skipPast('>');
                if (open.empty()) {
                    throw std::runtime_error("Unbalanced XML end tag");
                }
                ComparableNode done = std::move(open.back());
                open.pop_back();
                if (!kLiteralKinds.contains(done.kind)) {
                    done.literal.clear(); // indentation between child elements
                }
                if (open.empty()) {
                    root = std::move(done);
                    haveRoot = true;
                } else {
                    open.back().children.push_back(std::move(done));
                }
                continue;
            }
            bool selfClosing = false;
            ComparableNode node = readStartTag(selfClosing);
            if (selfClosing) {
                if (open.empty()) {
                    return node;
                }
                open.back().children.push_back(std::move(node));
            } else {
                open.push_back(std::move(node));
            }
        }
        if (!haveRoot || !open.empty()) {
            throw std::runtime_error("Incomplete XML document");
        }
        return root;
    }

private:
    void skipPast(char c) {
        const std::size_t at = xml_.find(c, pos_);
        if (at == std::string_view::npos) {
            throw std::runtime_error("Unterminated XML markup");
        }
        pos_ = at + 1;
    }

    void skipSpaces() {
        while (pos_ < xml_.size() && (xml_[pos_] == ' ' || xml_[pos_] == '\n' || xml_[pos_] == '\t')) {
            ++pos_;
        }
    }

    std::string_view readName() {
        const std::size_t start = pos_;
        while (pos_ < xml_.size() && xml_[pos_] != ' ' && xml_[pos_] != '>' && xml_[pos_] != '/' &&
               xml_[pos_] != '=') {
            ++pos_;
        }
        return xml_.substr(start, pos_ - start);
    }

    ComparableNode readStartTag(bool& selfClosing) {
        ++pos_; // '<'
        ComparableNode node;
        node.kind = std::string(readName());
        for (;;) {
            skipSpaces();
            if (pos_ >= xml_.size()) {
                throw std::runtime_error("Unterminated XML start tag");
            }
            if (xml_[pos_] == '>') {
                ++pos_;
                return node;
            }
            if (xml_.substr(pos_, 2) == "/>") {
                pos_ += 2;
                selfClosing = true;
                return node;
            }
            const std::string name(readName());
            if (pos_ + 1 >= xml_.size() || xml_[pos_] != '=' || xml_[pos_ + 1] != '"') {
                throw std::runtime_error("Malformed XML attribute " + name);
            }
            pos_ += 2;
            const std::size_t end = xml_.find('"', pos_);
            if (end == std::string_view::npos) {
                throw std::runtime_error("Unterminated XML attribute " + name);
            }
            std::string value = unescape(xml_.substr(pos_, end - pos_));
            pos_ = end + 1;
            if (name == "sourcepos") {
                node.sourcepos = std::move(value);
            } else if (kComparedPayload.contains(name) && !value.empty() &&
                       !(name == "start" && node.kind != "list")) {
                node.payload[name] = std::move(value);
            }
        }
    }

    std::string_view xml_;
    std::size_t pos_ = 0;
};

void describeInto(const ComparableNode& node, int depth, std::string& out) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    out += node.kind;
    if (!node.sourcepos.empty()) {
        out += " @" + node.sourcepos;
    }
    for (const auto& [name, value] : node.payload) {
        out += " " + name + "=\"" + value + "\"";
    }
    if (!node.literal.empty()) {
        out += " literal=\"";
        for (char c : node.literal) {
            if (c == '\n') {
                out += "\\n";
            } else {
                out.push_back(c);
            }
        }
        out += "\"";
    }
    out += '\n';
    for (const ComparableNode& child : node.children) {
        describeInto(child, depth + 1, out);
    }
}

} // namespace

ComparableNode comparableTreeFromCmarkXml(std::string_view xml) {
    return XmlReader(xml).read();
}

std::string describe(const ComparableNode& root) {
    std::string out;
    describeInto(root, 0, out);
    return out;
}

} // namespace Markdown::Testing
