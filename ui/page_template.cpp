// The "HTML Template" page: the two template parts, saved, reverted or reset
// to the built-in template.
#include "core/settings.h"
#include "core/html_template.h"
#include "ui/main_window.h"
#include "ui/window_state.h"

namespace vemtrix::ui {

std::vector<ControlSpec> TemplatePageTable() {
  const DWORD box = ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
  // The resize layout places all but the first label.
  return {
      {kIdHeaderLabel, "STATIC", "Enter the HTML for the header and container below:", SS_LEFT, 5, 5, 290, 10},
      {kIdHeaderBox, "EDIT", "", box, 0, 0, 0, 0},
      {kIdItemLabel, "STATIC", "Enter the HTML for the item fragment below:", SS_LEFT, 0, 0, 0, 0},
      {kIdItemBox, "EDIT", "", box, 0, 0, 0, 0},
      {kIdTemplateSave, "BUTTON", "Save", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
      {kIdTemplateCancel, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
      {kIdTemplateReset, "BUTTON", "Reset", BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 0},
  };
}

void ShowTemplateInControls() {
  SetControlText(kIdHeaderBox, AppSettings().HTMLheader);
  SetControlText(kIdItemBox, AppSettings().HTMLitem);
}

void TemplateSaveCommand() {
  AppSettings().HTMLheader = ControlText(kIdHeaderBox);
  AppSettings().HTMLitem = ControlText(kIdItemBox);
  SaveWindowSettings();
  AskUser("Save complete", "Your HTML template has been saved and will be used from now on.", MB_OK);
}

void TemplateCancelCommand() {
  if (AskUser("Revert Template?",
              "Do you want to discard any changes you've made to your HTML template and go back to your previous "
              "settings?",
              MB_YESNO) == IDYES)
    ShowTemplateInControls();
}

void TemplateResetCommand() {
  if (AskUser("Default Template?", "Do you want to discard your current HTML template and replace it with the default?",
              MB_YESNO) != IDYES)
    return;
  Settings defaults = DefaultSettings();
  AppSettings().HTMLheader = defaults.HTMLheader;
  AppSettings().HTMLitem = defaults.HTMLitem;
  ShowTemplateInControls();
  SaveWindowSettings();
}

}  // namespace vemtrix::ui
