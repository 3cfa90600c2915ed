// A small document model for `setupkit dump`: the same content printed as JSON or as
// indented text. Strings are UTF-8.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

class DumpValue {
  public:
    enum class Kind { kString, kNumber, kBool, kObject, kArray };

    static DumpValue String(std::string text);
    static DumpValue Number(std::uint64_t value);
    static DumpValue Bool(bool value);
    static DumpValue Object();
    static DumpValue Array();

    // Members of an object (in the order added) and elements of an array.
    DumpValue& Add(const std::string& key, DumpValue value);
    DumpValue& Push(DumpValue value);

    void WriteJson(std::ostream& out, int indent = 0) const;
    void WriteText(std::ostream& out, int indent = 0) const;

  private:
    Kind kind_ = Kind::kString;
    std::string text_;
    std::uint64_t number_ = 0;
    std::vector<std::pair<std::string, DumpValue>> members_;
};
