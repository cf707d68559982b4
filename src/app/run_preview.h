#pragma once

// The whole life of the program: finds Template.htm beside the program,
// builds the preview, writes index.htm beside it and shows the outcome.
void RunPreview();
