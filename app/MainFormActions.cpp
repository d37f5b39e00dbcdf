// Handlers whose behaviour arrives with the login and the download run.
#include "MainForm.h"

void MainForm::OnSize(WPARAM) {}
void MainForm::OnTrayNotify(UINT) {}
void MainForm::OnClipClick() {}
void MainForm::OnFileClick() {}
void MainForm::OnDownClick() {}
void MainForm::OnTimer() {}
