#pragma once
// Shows the report dialog (modal, no owner) when a report exists.
void ShowTextResults();
