// SPDX-License-Identifier: GPL-3.0-or-later
#include "puzzle/TableView.h"

#include <algorithm>

namespace {

// Far more steps than any table needs: the close-up of a piece of one unit.
constexpr int kMostSteps = 40;

}  // namespace

void TableView::SetTable(float width, float height, float pieceHeight)
{
    tableWidth = width > 0 ? width : kScreenWidth;
    tableHeight = height > 0 ? height : kScreenHeight;
    wholeZoom = std::min(kScreenWidth / tableWidth, kScreenHeight / tableHeight);
    // Today's board exactly: a table of the screen's size is shown at 1.
    if (std::fabs(wholeZoom - 1.0f) < 1e-6f) wholeZoom = 1.0f;
    lastStep = 0;
    if (pieceHeight > 0) {
        const double closeUp = kScreenHeight * kCloseUpShare / pieceHeight;
        const double steps = std::log(closeUp / wholeZoom) / std::log(kStepFactor);
        lastStep = std::clamp(static_cast<int>(std::lround(steps)), 0, kMostSteps);
    }
    ShowWhole();
}

float TableView::ZoomAtStep(int atStep) const
{
    atStep = std::clamp(atStep, 0, lastStep);
    if (atStep == 0) return wholeZoom;
    return static_cast<float>(wholeZoom * std::pow(kStepFactor, atStep));
}

PixelRect TableView::ToScreen(float left, float top, float right, float bottom) const
{
    const TablePoint a = ToScreen({left, top}), b = ToScreen({right, bottom});
    return {static_cast<int>(std::floor(a.x)), static_cast<int>(std::floor(a.y)), static_cast<int>(std::ceil(b.x)),
            static_cast<int>(std::ceil(b.y))};
}

bool TableView::ZoomAt(TablePoint screenPoint, int steps)
{
    const int next = std::clamp(step + steps, 0, lastStep);
    if (next == step) return false;
    const TablePoint fixed = ToTable(screenPoint);
    step = next;
    zoom = ZoomAtStep(step);
    origin = {fixed.x - screenPoint.x / zoom, fixed.y - screenPoint.y / zoom};
    KeepOnTable();
    return true;
}

bool TableView::Pan(float screenDx, float screenDy)
{
    const TablePoint before = origin;
    origin = {origin.x - screenDx / zoom, origin.y - screenDy / zoom};
    KeepOnTable();
    return origin.x != before.x || origin.y != before.y;
}

void TableView::ShowWhole()
{
    step = 0;
    zoom = wholeZoom;
    origin = {};
}

void TableView::Set(int atStep, TablePoint atOrigin)
{
    step = std::clamp(atStep, 0, lastStep);
    zoom = ZoomAtStep(step);
    origin = {std::isfinite(atOrigin.x) ? atOrigin.x : 0.0f, std::isfinite(atOrigin.y) ? atOrigin.y : 0.0f};
    KeepOnTable();
}

void TableView::KeepOnTable()
{
    const float right = std::max(0.0f, tableWidth - kScreenWidth / zoom);
    const float bottom = std::max(0.0f, tableHeight - kScreenHeight / zoom);
    origin = {std::clamp(origin.x, 0.0f, right), std::clamp(origin.y, 0.0f, bottom)};
}
