// A MainControls that records what the window logic did, for tests without a
// display.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ui/logic/controls.h"

namespace tarvo::test {

class FakeControls : public MainControls {
 public:
  std::string EntryText() const override { return entry; }
  void SetEntryText(const std::string& text) override {
    entry = text;
    selStart = 0;
    selLength = 0;
  }
  int SelectionStart() const override { return selStart; }
  int SelectionLength() const override { return selLength; }
  void SetSelection(int start, int length) override {
    selStart = start;
    selLength = length;
  }
  Rgb EntryColor() const override { return color; }
  void SetEntryColor(Rgb c) override { color = c; }
  void FocusEntry() override { ++focusCount; }
  void SetUpperMessage(const std::string& text) override { upperMessage = text; }
  void SetLowerMessage(const std::string& text) override { lowerMessage = text; }
  void ClearDisplay() override { display.clear(); }
  void DrawResultText(const std::string& text) override { display.push_back(text); }
  void Beep() override { ++beeps; }
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  void SetBusy(bool busy) override { busyCalls.push_back(busy); }
  void SetKeyLit(int key, bool lit) override { keyLit[key] = lit; }
  void MoveKey(int key, int left, int top) override { keyPlace[key] = {left, top}; }
  void SetKeyVisible(int key, bool visible) override { keyVisible[key] = visible; }
  void SetShiftIndicatorVisible(bool visible) override { shiftIndicator = visible; }
  void SetPagePicture(int page) override { pagePicture = page; }
  void SetPageSelectorPressed(bool pressed) override { selectorPressed = pressed; }
  void SetAlwaysOnTop(bool on) override { alwaysOnTop = on; }
  void CloseWindow() override { ++closeRequests; }
  int PopupMenu(const std::vector<MenuEntry>& entries) override {
    menus.push_back(entries);
    if (menuChoices.empty()) return -1;
    int choice = menuChoices.front();
    menuChoices.pop_front();
    return choice;
  }

  void ShowVariableListWindow() override {
    onTopWhenOpened.push_back(alwaysOnTop);
    ++varListWindows;
    if (whileListOpen) whileListOpen();
  }
  void ShowAboutBox() override {
    onTopWhenOpened.push_back(alwaysOnTop);
    ++aboutBoxes;
  }
  std::string ProgramDirectory() const override { return programDir; }
  bool FileExists(const std::string& path) const override { return files.count(path) != 0; }
  bool OpenDocument(const std::string& path) override {
    opened.push_back(path);
    return desktopAccepts;
  }
  bool OpenUrl(const std::string& url) override {
    opened.push_back(url);
    return desktopAccepts;
  }
  void ShowWarning(const std::string& title, const std::string& text) override {
    warnings.push_back({title, text});
  }

  // Types text at the end of the entry line as the user would.
  void Type(const std::string& text) {
    entry += text;
    selStart = static_cast<int>(entry.size());
    selLength = 0;
  }
  // The last text drawn on the display (what the user sees now).
  std::string Shown() const { return display.empty() ? std::string() : display.back(); }

  std::string entry;
  int selStart = 0;
  int selLength = 0;
  Rgb color = kBlack;
  int focusCount = 0;
  std::string upperMessage, lowerMessage;
  std::vector<std::string> display;
  int beeps = 0;
  std::string clipboard;
  std::vector<bool> busyCalls;
  std::map<int, bool> keyLit;
  std::map<int, std::pair<int, int>> keyPlace;  // left, top
  std::map<int, bool> keyVisible;
  bool shiftIndicator = false;
  int pagePicture = -1;
  bool selectorPressed = false;
  bool alwaysOnTop = false;
  int closeRequests = 0;
  std::vector<std::vector<MenuEntry>> menus;
  std::deque<int> menuChoices;  // what the next pop-up menus return
  int varListWindows = 0;
  int aboutBoxes = 0;
  std::vector<bool> onTopWhenOpened;    // the window's state as each modal window opened
  std::function<void()> whileListOpen;  // runs while the list window is "open"
  std::string programDir;
  std::set<std::string> files;  // the files that exist
  bool desktopAccepts = true;   // what the desktop answers to an open request
  std::vector<std::string> opened;
  std::vector<std::pair<std::string, std::string>> warnings;  // title, text
};

}  // namespace tarvo::test
