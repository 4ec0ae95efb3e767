#include "engine/tvqmCommandLine.h"

TCommandLineParameterItem* CLPApply = nullptr;
TCommandLineParameterItem* CLPUndo = nullptr;
TCommandLineParameterItem* CLPSetupTask = nullptr;

void InitializeTvqmCommandLine() {
  TCLPGroup* automation = CLPGroupAutomation();
  CLPApply = automation->Add("apply", "Applies all immunization");
  CLPUndo = automation->Add("undo", "Removes changes, back to defaults");
  CLPSetupTask = automation->Add("setuptask", "Setup Scheduled Task");
}

void FinalizeTvqmCommandLine() {
  CLPApply = nullptr;
  CLPUndo = nullptr;
  CLPSetupTask = nullptr;
}
