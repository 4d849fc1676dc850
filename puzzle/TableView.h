// SPDX-License-Identifier: GPL-3.0-or-later
// The part of the table the screen shows. Play happens on a table with units
// of its own; the screen (the 800 x 600-unit frame) shows a part of it,
// enlarged by the zoom: screen = (table - origin) x zoom.
//
// The zoom goes in steps of a quarter of a doubling from the whole table on
// screen (step 0) to a close-up in which a piece fills about an eighth of the
// screen's height (the last step). For the puzzles cut from a picture of 448
// the table is the 800 x 600 board: at step 0 table units are screen units,
// so the board is drawn, hit and saved exactly as without a view.
//
// The origin is kept so that the screen never shows beyond the table (a
// table smaller than the screen at some zoom is shown from its top-left).
// Zooming at a point keeps the table point under it where it was.
#pragma once

#include <cmath>

#include "platform/Surface.h"

struct TablePoint {
    float x = 0;
    float y = 0;
};

class TableView {
public:
    // One step multiplies the zoom by the fourth root of 2.
    static constexpr double kStepFactor = 1.189207115002721;
    // A piece shown closest fills this share of the screen's height.
    static constexpr float kCloseUpShare = 1.0f / 8.0f;
    // The screen the view fills, in units.
    static constexpr float kScreenWidth = 800.0f;
    static constexpr float kScreenHeight = 600.0f;

    // A table of the size (units) with pieces about pieceHeight tall: the
    // view shows all of it, and the steps reach the close-up.
    void SetTable(float width, float height, float pieceHeight);
    float TableWidth() const { return tableWidth; }
    float TableHeight() const { return tableHeight; }

    int Step() const { return step; }
    int LastStep() const { return lastStep; }
    float Zoom() const { return zoom; }
    TablePoint Origin() const { return origin; }
    // The zoom at a step (held to 0..LastStep).
    float ZoomAtStep(int atStep) const;
    // Step 0 at the table's top-left: table units are screen units.
    bool IsWhole() const { return step == 0 && origin.x == 0 && origin.y == 0 && zoom == 1.0f; }

    TablePoint ToScreen(TablePoint table) const
    {
        return {(table.x - origin.x) * zoom, (table.y - origin.y) * zoom};
    }
    TablePoint ToTable(TablePoint screen) const
    {
        return {screen.x / zoom + origin.x, screen.y / zoom + origin.y};
    }
    // The screen's units a table box covers, rounded outward.
    PixelRect ToScreen(float left, float top, float right, float bottom) const;

    // Steps in (positive) or out around a point of the screen, which keeps
    // the table point under it. Answers whether the view changed.
    bool ZoomAt(TablePoint screenPoint, int steps);
    // Moves the table under the screen by screen units (a drag to the right
    // shows more of the table's left).
    bool Pan(float screenDx, float screenDy);
    // The whole table, as at the start.
    void ShowWhole();
    // A saved view: held to the steps and the table.
    void Set(int atStep, TablePoint atOrigin);

private:
    void KeepOnTable();
    float tableWidth = kScreenWidth;
    float tableHeight = kScreenHeight;
    // The zoom at step 0: the whole table on screen.
    float wholeZoom = 1.0f;
    int lastStep = 0;
    int step = 0;
    float zoom = 1.0f;
    TablePoint origin;
};
