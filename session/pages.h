#pragma once

// The main window's pages, by their index in its page array framMenu. A record's
// layout names its page with one of these, and the pages and the window find
// each page by it.
namespace Pages {

enum Index : int {
    PagePRF = 0, // the prefix table
    PageNumList = 1,
    PageFXO = 2,
    PageFXS = 3,
    PageGSM = 4,
    PageDBG = 5, // the monitor page; no record belongs to it
    PageSMS = 6,
    PageTONE = 7,
};
inline constexpr int kCount = 8;

} // namespace Pages
