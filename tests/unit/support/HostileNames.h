// Stored names that must never become a file of the extraction folder on any platform:
// separators of either kind, the folder's own names, names that climb out of it, control bytes,
// DEL and NUL, names too long for a file system, absolute paths, and lead bytes placed before a
// separator. The extraction folder's tests and the start-up's use the one list; each adds the
// names that depend on its own sandbox or platform.
#pragma once

#include <string>
#include <vector>

namespace scenesaver::testing_support {

inline std::vector<std::string> HostileStoredNames() {
  std::vector<std::string> names = {
      "",
      "../x",
      "../../x",
      "..\\x",
      "/etc/x",
      "/etc/passwd",
      "a/b",
      "a\\b",
      "./x",
      "./fine.jpg",
      "temp1/fine.jpg",
      "../temp1/fine.jpg",
      ".",
      "..",
      "/",
      "\\",
      "x/",
      std::string("x\0y", 3),
      std::string("ok\0.jpg", 7),
      std::string("fine.jpg\0/../../x", 17),
      std::string("\0", 1),
      "\x95/x",  // a lead byte does not make a following slash part of a character
      "\x81\\..\\x",
      std::string(256, 'n'),
      std::string(300, 'n'),
      std::string(5000, 'n'),
      std::string(65535, 'n'),
      "\x1b[2J",
      "esc\x1b",
      "tab\there",
      "nl\nx",
      "\x01",
      "del\x7f.jpg",
      "\x7f",
  };
  for (char c = 1; c < 32; c += 5) names.push_back(std::string("ctl") + c);
  return names;
}

}  // namespace scenesaver::testing_support
