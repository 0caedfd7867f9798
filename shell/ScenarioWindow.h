#pragma once

class TForm_Scenario;

// The scenario window while it exists (null otherwise).
TForm_Scenario *ScenarioWindow();
// One step of the scenario run, when a run is in progress and its window exists.
void StepRunningScenario();
