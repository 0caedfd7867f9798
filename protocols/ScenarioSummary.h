#pragma once

class TForm_Scenario;

// The end of a scenario run in the open protocol: a grey "Итог" row in the contents page and, in the data
// page, the scenario window's grid (configuration, duration, state and both results) with each row's
// result linked to that row's entry. Nothing when no protocol is open; a page that cannot be opened
// loses only its own part.
void WriteScenarioSummary(const TForm_Scenario &window);
