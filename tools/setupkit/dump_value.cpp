#include "tools/setupkit/dump_value.h"

#include <cstdio>

namespace {

void WriteJsonString(std::ostream& out, const std::string& text) {
    out << '"';
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out << "\\\"";
                break;
            case '\\':
                out << "\\\\";
                break;
            case '\n':
                out << "\\n";
                break;
            case '\r':
                out << "\\r";
                break;
            case '\t':
                out << "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
                    out << escaped;
                } else {
                    out << static_cast<char>(c);
                }
        }
    }
    out << '"';
}

std::string Pad(int indent) {
    return std::string(static_cast<std::size_t>(indent) * 2, ' ');
}

// A text of several lines as an indented block, each line on its own.
void WriteTextBlock(std::ostream& out, const std::string& text, int indent) {
    out << " |\n";
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out << Pad(indent) << line << "\n";
        at = end + 1;
    }
}

}  // namespace

DumpValue DumpValue::String(std::string text) {
    DumpValue value;
    value.text_ = std::move(text);
    return value;
}

DumpValue DumpValue::Number(std::uint64_t number) {
    DumpValue value;
    value.kind_ = Kind::kNumber;
    value.number_ = number;
    return value;
}

DumpValue DumpValue::Bool(bool flag) {
    DumpValue value;
    value.kind_ = Kind::kBool;
    value.number_ = flag;
    return value;
}

DumpValue DumpValue::Object() {
    DumpValue value;
    value.kind_ = Kind::kObject;
    return value;
}

DumpValue DumpValue::Array() {
    DumpValue value;
    value.kind_ = Kind::kArray;
    return value;
}

DumpValue& DumpValue::Add(const std::string& key, DumpValue value) {
    members_.emplace_back(key, std::move(value));
    return members_.back().second;
}

DumpValue& DumpValue::Push(DumpValue value) {
    return Add(std::string(), std::move(value));
}

void DumpValue::WriteJson(std::ostream& out, int indent) const {
    switch (kind_) {
        case Kind::kString:
            WriteJsonString(out, text_);
            return;
        case Kind::kNumber:
            out << number_;
            return;
        case Kind::kBool:
            out << (number_ ? "true" : "false");
            return;
        case Kind::kObject:
        case Kind::kArray: {
            const bool object = kind_ == Kind::kObject;
            out << (object ? '{' : '[');
            for (std::size_t i = 0; i < members_.size(); ++i) {
                out << (i ? ",\n" : "\n") << Pad(indent + 1);
                if (object) {
                    WriteJsonString(out, members_[i].first);
                    out << ": ";
                }
                members_[i].second.WriteJson(out, indent + 1);
            }
            if (!members_.empty())
                out << "\n" << Pad(indent);
            out << (object ? '}' : ']');
            if (indent == 0)
                out << "\n";
            return;
        }
    }
}

void DumpValue::WriteText(std::ostream& out, int indent) const {
    for (const auto& [key, value] : members_) {
        out << Pad(indent) << (kind_ == Kind::kArray ? "-" : key + ":");
        if (value.kind_ == Kind::kString && value.text_.find('\n') != std::string::npos) {
            WriteTextBlock(out, value.text_, indent + 1);
        } else if (value.kind_ != Kind::kObject && value.kind_ != Kind::kArray) {
            out << " ";
            if (value.kind_ == Kind::kString)
                out << value.text_;
            else if (value.kind_ == Kind::kNumber)
                out << value.number_;
            else
                out << (value.number_ ? "true" : "false");
            out << "\n";
        } else {
            out << "\n";
            value.WriteText(out, indent + 1);
        }
    }
}
