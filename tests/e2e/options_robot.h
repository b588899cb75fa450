// What the scenarios of options_robot share: the window started with
// settings, a program chosen, the passes and the summary tooltip read back.
#pragma once

#include "tests/e2e/brenk_window.h"

#include <cstdint>
#include <string>
#include <vector>

std::vector<std::string> Split(const std::string& text, const std::string& separator);

// brenk.exe started in folder with those settings, its window ready.
bool StartWith(Brenk& brenk, const std::string& folder, const std::string& settings);

// Chooses the program by its full path through the requester and types the
// command line.
bool Open(Brenk& brenk, const std::string& path, const std::string& commandLine);

// The readings of the next pass: valid, and changed from before, which
// becomes their text. A pass with the figures of the one before leaves the
// text as it was; after the limit the readings shown are returned unchanged.
Readings NextPass(const Brenk& brenk, std::string& before, DWORD limitMs = 3000);

// The summary tooltip's text, read inside brenk's own memory.
std::string Tooltip(const Brenk& brenk);

// The figure after "caption : " in an English summary; -1 when it is not there.
int64_t SummaryNumber(const std::string& summary, const std::string& caption);

// The scenario of the readings log, in a file of its own.
int LogFile();
