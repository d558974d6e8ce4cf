// TEMPORARY: placeholders until the output keys land; delete with them.
#include "engine/number_text.h"
#include "engine/state.h"
#include "ui/logic/form_main.h"

namespace tarvo {
void FormMain::ShowNewAnswer() {
  c_.ClearDisplay();
  c_.SetLabel3("");
  c_.SetLabel7("");
  NOR_KEY();
}
void FormMain::NOR_KEY() {
  State().OutputMode = OUT_NORMAL;
  c_.ClearDisplay();
  c_.DrawResultText(" " + NumberText(State().LastAnswer));
  ArcShift = HypShift = false;
  c_.SetLabel3(" Normal output format");
  c_.SetLabel7("");
}
void FormMain::FIX_KEY() {}
void FormMain::SCI_KEY() {}
void FormMain::FRAC_KEY() {}
void FormMain::DMS_KEY() {}
void FormMain::BIN_KEY() {}
void FormMain::HEX_KEY() {}
void FormMain::DATE_KEY() {}
void FormMain::M_FIX_Click(int) {}
void FormMain::M_FIX_Normal_Click() {}
void FormMain::M_SCI_DIG_Click(int) {}
void FormMain::M_SCI_Normal_Click() {}
void FormMain::ToggleKey(int, int) {}
void FormMain::LightOutputKey(int) {}
void FormMain::UncheckAllFormatMenus() {}
}  // namespace tarvo
