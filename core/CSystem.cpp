// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/CSystem.h"

CSystem System;

void CSystem::SetState(unsigned state) { host->SetState(state); }
unsigned CSystem::GetState() const { return host->GetState(); }
void CSystem::PostQuit() { host->PostQuit(); }
void CSystem::ShowMessageBox(const char* caption, const char* text) { host->ShowMessageBox(caption, text); }
void CSystem::ShowMessage(const std::string& text) { host->ShowMessage(text); }
std::string CSystem::TakeDroppedFile() { return host->TakeDroppedFile(); }
void CSystem::RunOutsideDialog(const std::function<void()>& dialog) { host->RunOutsideDialog(dialog); }
void CSystem::InitAfterFirstFrame() { host->InitAfterFirstFrame(); }
int CSystem::GetWidth() const { return host->GetWidth(); }
int CSystem::GetHeight() const { return host->GetHeight(); }

void CSystem::Shutdown()
{
    if (host) host->Shutdown();
}
