// Reads the lab's help text back, column by column, and checks it against
// the key table: every name whole, with all its keys.  Shared by the
// GL-free test of the layout and the test of the real lab's help.
#pragma once

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "lab/lab.h"

namespace help_check {

inline std::string trimmed(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The entries the key table asks for: (keys, name), in table order.
inline std::vector<std::pair<std::string, std::string>> expected_entries() {
  std::vector<std::pair<std::string, std::string>> out;
  for (int i = 0; i < lab_action_count(); ++i) {
    const lab_action& a = *lab_action_at(i);
    auto it = std::find_if(out.begin(), out.end(), [&](const auto& e) { return e.second == a.name; });
    if (it != out.end())
      it->first += " " + lab_key_name(a.key, a.special);
    else
      out.push_back({lab_key_name(a.key, a.special), a.name});
  }
  return out;
}

// "" when every entry stands in the help: a line of one column that starts
// with its keys, its name from the end of the key field on, going on in the
// lines of that column below which start with blanks.  Else what is wrong.
inline std::string mismatch(const std::string& text) {
  std::vector<std::string> columns[2];
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() > 2 * LAB_HELP_COLUMN) return "a line too long: " + line;
    columns[0].push_back(line.substr(0, std::min<size_t>(line.size(), LAB_HELP_COLUMN)));
    columns[1].push_back(line.size() > LAB_HELP_COLUMN ? line.substr(LAB_HELP_COLUMN) : "");
  }
  for (const auto& [keys, name] : expected_entries()) {
    const size_t indent = std::max<size_t>(keys.size() + 1, 7);
    std::string found;
    int hits = 0;
    for (const auto& col : columns)
      for (size_t r = 0; r < col.size(); ++r) {
        if (col[r].size() <= indent || col[r].compare(0, keys.size(), keys) != 0 ||
            trimmed(col[r].substr(keys.size(), indent - keys.size())) != "")
          continue;
        std::string got = trimmed(col[r].substr(indent));
        for (size_t k = r + 1; k < col.size() && trimmed(col[k]) != "" && col[k][0] == ' '; ++k)
          got += " " + trimmed(col[k]);
        found = got;
        ++hits;
      }
    if (hits != 1)
      return "keys \"" + keys + "\" start " + std::to_string(hits) + " entries\n" + text;
    if (found != name) return "keys \"" + keys + "\": \"" + found + "\", not \"" + name + "\"";
  }
  return "";
}

}  // namespace help_check
