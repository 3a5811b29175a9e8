// Which configurations each flash tool counts as a large sensor: the download terminal takes 5
// and 9 onwards, the defect-map editor only the 47M sensors 5, 9 and 11. One table for the
// configuration table's, the dialogs' and the main window's tests.
#pragma once

namespace corvel::test {

struct LargeSensorCase {
    int config;
    bool terminal;  ///< the download terminal's rule
    bool editor;    ///< the defect-map editor's rule
};

inline constexpr LargeSensorCase kLargeSensorCases[] = {
    {4, false, false}, {5, true, true},  {8, false, false}, {9, true, true},
    {10, true, false}, {11, true, true}, {12, true, false},
};

}  // namespace corvel::test
