#pragma once

class TfrmCTe;

// Opens the editor's record and child lists empty and fills them with three documents (pending,
// accepted, rejected) and a few child rows of the first, as a list load would; the first
// document is current.
void FillEditorSample(TfrmCTe *editor);
