// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CSystem.h"

#include "app/CApp.h"

CSystem System;

void CSystem::SetState(unsigned state) { App.SetState(state); }
unsigned CSystem::GetState() const { return App.GetState(); }
void CSystem::PostQuit() { App.PostQuit(); }
void CSystem::ShowMessageBox(const char* caption, const char* text) { App.ShowMessageBox(caption, text); }
void CSystem::ShowMessage(const std::string& text) { App.ShowMessage(text); }
std::string CSystem::TakeDroppedFile() { return App.TakeDroppedFile(); }
void CSystem::RunOutsideDialog(const std::function<void()>& dialog) { App.RunOutsideDialog(dialog); }
void CSystem::InitAfterFirstFrame() { App.InitAfterFirstFrame(); }
int CSystem::GetWidth() const { return App.GetWidth(); }
int CSystem::GetHeight() const { return App.GetHeight(); }
