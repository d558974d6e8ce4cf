// A MainControls that keeps what the window logic last showed, for tests
// without a display.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/logic/controls.h"

namespace tarvo::test {

class FakeControls : public MainControls {
 public:
  std::string EntryText() const override { return entry; }
  void SetEntryText(const std::string& text) override { entry = text, caret = 0, selected = 0; }
  int SelectionStart() const override { return caret; }
  int SelectionLength() const override { return selected; }
  void SetSelection(int start, int length) override { caret = start, selected = length; }
  Rgb EntryColor() const override { return color; }
  void SetEntryColor(Rgb c) override { color = c; }
  void FocusEntry() override { ++focusCalls; }
  void SetUpperMessage(const std::string& text) override { upper = text; }
  void SetLowerMessage(const std::string& text) override { lower = text; }
  void ClearDisplay() override { display.clear(); }
  void DrawResultText(const std::string& text) override { display = text; }
  void Beep() override {}
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  void SetBusy(bool on) override { busy.push_back(on); }
  void SetKeyLit(Key key, bool on) override {
    if (on) lit.insert(key);
    else lit.erase(key);
  }
  void MoveKey(Key key, int left, int top) override { place[key] = {left, top}; }
  void SetKeyVisible(Key key, bool on) override { visible[key] = on; }
  void SetShiftIndicatorVisible(bool on) override { shiftIndicator = on; }
  void SetPagePicture(int) override {}
  void SetPageSelectorPressed(bool) override {}
  void SetAlwaysOnTop(bool on) override { onTop = on; }
  bool CanKeepOnTop() const override { return canKeepOnTop; }
  void ShowLook(Look look) override { looks.push_back(look); }
  void CloseWindow() override {}
  int PopupMenu(const std::vector<MenuEntry>& entries) override {
    menu = entries;
    if (answers.empty()) return -1;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  void ShowVariableListWindow(const std::optional<VariableListShow>&) override {
    opened.push_back(onTop ? "list on top" : "list");
  }
  void ShowAboutBox() override { opened.push_back(onTop ? "about on top" : "about"); }
  std::string ProgramDirectory() const override { return "/opt/tarvo/bin"; }
  bool FileExists(const std::string& path) const override { return files.count(path) != 0; }
  bool OpenDocument(const std::string& path) override { return OpenUrl(path); }
  bool OpenUrl(const std::string& url) override {
    opened.push_back(url);
    return desktopAccepts;
  }
  void ShowWarning(const std::string& title, const std::string& text) override {
    opened.push_back("! " + title + ": " + text);
  }

  std::string entry, upper, lower, display, clipboard;
  int caret = 0, selected = 0, focusCalls = 0;
  Rgb color = kBlack;
  std::vector<bool> busy;
  std::set<Key> lit;
  std::map<Key, std::pair<int, int>> place;
  std::map<Key, bool> visible;
  bool shiftIndicator = false, onTop = false, desktopAccepts = true, canKeepOnTop = true;
  std::vector<Look> looks;  // shown, in turn
  std::vector<MenuEntry> menu;  // the last pop-up menu
  std::deque<int> answers;      // what the next pop-up menus return
  std::set<std::string> files;  // the files that exist
  std::vector<std::string> opened;  // windows, documents, addresses, warnings
};

}  // namespace tarvo::test
