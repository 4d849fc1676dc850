// SPDX-License-Identifier: GPL-3.0-or-later
// Loads pictures into CImages and draws them: the game's image manager.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/AreaReducer.h"
#include "platform/PictureDecoder.h"
#include "platform/Surface.h"
#include "resources/CImage.h"
#include "resources/SelectedLook.h"

// The copies of one picture that the cut page keeps: `small` and `work` bound
// by their longer side to the sizes asked for, `clean` the same as `work`.
// The picture's shorter side must come to at least minSide pixels in `work`.
// Sizes are in the game's units; each copy is a surface of `scale` pixels a
// unit, filtered from the picture at that finer size.
struct PictureCopies {
    float smallSize = 224;
    float workSize = 448;
    float minSide = 0;
    int scale = 1;
    // The picture's own size in pixels, as its file holds it (the copies are
    // filtered down from it): how finely it can be cut.
    int sourceWidth = 0;
    int sourceHeight = 0;
    CImage small;
    CImage work;
    CImage clean;
};

class CMgrImage {
public:
    // Loaders. The extension decides: "bmp" after the first "." loads a BMP
    // through DataFile (the archive first), anything else is a JPEG from the
    // disk, tried as named and then within the program folder. The scaled
    // forms bind the longer side to the request and keep the proportions.
    // A file that is missing, damaged or cut short is a critical error naming
    // it; a picture always comes out upright with a positive height.
    // The art of the screens (res::IsScreenArt) is loaded for the back
    // buffer's scale: the builder's drawing at that scale when the archive
    // has it, a surface of that scale of the same size in units; else the 1x
    // art, which the copies enlarge. Drawn after the scale has changed, such
    // art is loaded again for the new scale.
    void LoadImage(CImage& target, const char* fileName);
    void LoadImageScaled(CImage& target, const char* fileName, float width, float height);
    void LoadBmp(CImage& target, const char* fileName);
    void LoadBmpScaled(CImage& target, const char* fileName, float width, float height);
    void LoadJpeg(CImage& target, const char* fileName);
    void LoadJpegScaled(CImage& target, const char* fileName, float width, float height);

    // Reads a picture once and decodes it once, then makes all its copies.
    // The game's own bitmaps (a relative name ending in "bmp") come from
    // DataFile; any other name is a picture file on the disk in any format
    // the game reads (JPEG, PNG, WebP, GIF, TIFF, BMP, TGA, HEIC/HEIF, AVIF),
    // tried as named and then within the program folder. When it cannot be
    // used, the copies are left empty and `message` says why in a sentence
    // for the player (the library's words go to the log); without `message`
    // that is a critical error.
    bool LoadPicture(const char* fileName, PictureCopies& copies, std::string* message);

    // LoadPicture in two halves, for a picture opened on a thread of its own.
    // What decoding a player's file came to: the whole picture, or the
    // player's sentence and the words for the log.
    struct DecodedPicture {
        Surface picture;
        std::string problem;  // empty when `picture` holds it
        std::string detail;
        int sourceWidth = 0;  // the file's own size, before any reduction
        int sourceHeight = 0;
    };
    // Reads and decodes; touches nothing of the game's, so that it may run on
    // any thread. `inProgramFolder` is tried when the file is not found (see
    // InProgramFolder); a decoder that can stops soon after `stop` is set.
    // The picture is decoded large enough for copies of workSize units at
    // `scale`; `watcher`, if any, is shown its rows as they are decoded.
    static DecodedPicture DecodePlayerPicture(const std::string& fileName, const std::string& inProgramFolder,
                                              float workSize, float minSide, int scale,
                                              const std::atomic<bool>* stop = nullptr,
                                              const PictureDecoder::RowWatcher& watcher = {});
    static std::string InProgramFolder(const std::string& fileName);
    static void LogRefusal(const std::string& fileName, const DecodedPicture& decoded);
    // The pixels as a surface of `scale` pixels a unit, when both sides are a
    // whole number of units; otherwise as they are.
    static Surface AtScale(const Surface& pixels, int scale);
    // The copies, from the whole picture.
    void MakeCopies(const Surface& picture, PictureCopies& copies);
    void MakeCopies(const DecodedPicture& decoded, PictureCopies& copies);

    // A large puzzle is cut from the picture at a size of its own, larger
    // than the copies: read again from its file. The frame thread asks
    // (reading the game's own large copy from the archive, which is not
    // shared with other threads); any thread may then decode and bring it
    // to width x height pixels. An empty surface when it can't be had.
    struct CutPictureRequest {
        std::string fileName;
        std::string inProgramFolder;
        std::vector<unsigned char> gameBytes;  // the game's own picture's large copy
        bool gamePicture = false;
        int width = 0;
        int height = 0;
        // Work for the thread that reduces the photo beside its decoder,
        // while it waits for rows (see AreaReducer::SpareTimeFor).
        AreaReducer::SpareWork spareWork;
    };
    static CutPictureRequest AskCutPicture(const char* fileName, int width, int height);
    // The picture for a cut; `madeBeside` (when given) tells whether it is
    // the reduction the spare work saw growing.
    static Surface DecodeCutPicture(const CutPictureRequest& request, bool* madeBeside = nullptr);
    // Black is the see-through colour of a piece: a picture's black is lifted a step.
    static void LiftBlack(Surface& picture);
    static void LiftBlackRow(Colour* row, int width);
    // The sentence for a picture that takes too long to open.
    static constexpr const char* kTooSlow =
        "This picture takes too long to open, so the game cannot show it. Please choose another picture.";
    // A player's file (anything but the game's own bitmaps), which is
    // decoded rather than read from the game's data.
    static bool IsPlayerPicture(const std::string& fileName);
    // A player's picture decoded ahead, on the opening's thread, for a saved
    // game about to be loaded: the next LoadPicture of that file at those
    // sizes takes it (once) instead of decoding the file again.
    void KeepDecoded(const std::string& fileName, float workSize, float minSide, int scale, DecodedPicture decoded);
    void ForgetDecoded() { keptDecode = KeptDecode(); }

    // Drawing. Positions are truncated toward zero; black is transparent in
    // every transparent copy. DrawFrame draws with a dashed pen of the width
    // given (a pen wider than 1 draws solid) and restores the previous pen;
    // DrawBezier draws one cubic curve in the destination's current pen.
    void Draw(Surface& dest, const CImage& image, float x, float y);
    void DrawTransparent(Surface& dest, const CImage& image, float x, float y);
    void DrawStretchedX(Surface& dest, const CImage& image, float x, float y, float factor);
    // A puzzle piece's image (any piece with an image, a mask, a width and a
    // height): black is transparent.
    template <class Piece>
    void DrawPieceTransparent(Surface& dest, const Piece& piece, float x, float y)
    {
        DrawPieceImage(dest, piece.image, piece.width, piece.height, x, y, true);
    }
    // A selected piece: its picture lightened, so that it still shows, inside
    // a glowing edge that pulses between gold and white (glow 0 to 1), with a
    // dark line just outside it, so that it stands out on any board colour.
    template <class Piece>
    void DrawPieceSelected(Surface& dest, const Piece& piece, float x, float y, float glow)
    {
        const int scale = piece.image.IsEmpty() ? dest.Scale() : piece.image.Scale();
        if (dest.Scale() != scale) {
            // The look is worked out in the piece's own pixels: drawn on a
            // surface of those first (a unit past the box on every side),
            // then copied at the destination's scale.
            Surface& scratch = SelectedScratch(piece.width, piece.height, scale);
            DrawPieceSelected(scratch, piece, 1.0f, 1.0f, glow);
            CopySelectedScratch(dest, x, y);
            return;
        }
        const int maskWidth = piece.mask.Width(), maskHeight = piece.mask.Height();
        // The edge and the rim are as wide on the screen at every scale.
        const int edgeWidth = kSelectedEdgeWidth * scale;
        if (!Surface::PlainCopies()) {
            // Worked out from the mask's runs the first time, then kept with the mask.
            SelectedLook& look = piece.mask.Look();
            int boxWidth, boxHeight;
            SelectedBox(piece.image, maskWidth, maskHeight, piece.width, piece.height, boxWidth, boxHeight);
            if (!look.IsFor(boxWidth, boxHeight)) {
                selectedRuns.clear();
                selectedRowEnd.clear();
                for (int py = 0; py < boxHeight; ++py) {
                    piece.mask.ForEachRun(py, [this](int begin, int end) { selectedRuns.push_back({begin, end}); });
                    selectedRowEnd.push_back(static_cast<unsigned>(selectedRuns.size()));
                }
                look.Make(boxWidth, boxHeight, selectedRuns, selectedRowEnd, edgeWidth, scale);
            }
            if (look.IsUsable()) {
                DrawSelectedLook(dest, look, piece.image, x, y, glow);
                return;
            }
        }
        // The mask (white inside), read once into one byte a pixel.
        selectedInside.assign(static_cast<std::size_t>(maskWidth) * static_cast<std::size_t>(maskHeight), 0);
        for (int py = 0; py < maskHeight; ++py)
            for (int px = 0; px < maskWidth; ++px)
                selectedInside[static_cast<std::size_t>(py) * maskWidth + px] = piece.mask.GetPixel(px, py) == kWhite;
        DrawSelectedImage(dest, piece.image, maskWidth, maskHeight, piece.width, piece.height, x, y, glow);
    }
    // The colours of a selected piece: a pixel of its picture lightened, its
    // edge at a glow from 0 to 1, and the line around it.
    static Colour SelectedLight(Colour picture);
    static Colour SelectedEdge(float glow);
    static constexpr Colour kSelectedRim = MakeColour(24, 20, 16);  // a pixel wide at scale 1
    // How far in from the outline the glowing edge reaches, in pixels at scale 1.
    static constexpr int kSelectedEdgeWidth = 2;
    void DrawFrame(Surface& dest, int left, int top, int right, int bottom, Colour colour, int penWidth);
    void DrawBezier(Surface& dest, int x0, int y0, int x1, int y1, int x2, int y2, int x3, int y3);

private:
    // Loads the game's art again when the frame's scale is not the one it was loaded for.
    void FitArtToFrame(const CImage& image);
    struct KeptDecode {
        bool valid = false;
        std::string fileName;
        float workSize = 0;
        float minSide = 0;
        int scale = 1;
        DecodedPicture decoded;
    };
    KeptDecode keptDecode;
    // A surface of the piece's scale for a selected piece of the size, with a
    // unit to spare on every side, every pixel a value no colour has; and its
    // copy onto a destination of another scale, for a piece at (x, y).
    Surface& SelectedScratch(float width, float height, int scale);
    void CopySelectedScratch(Surface& dest, float x, float y);
    void DrawPieceImage(Surface& dest, const Surface& image, float width, float height, float x, float y,
                        bool transparent);
    // Draws with the mask read into selectedInside (maskWidth x maskHeight),
    // pixel by pixel.
    void DrawSelectedImage(Surface& dest, const Surface& image, int maskWidth, int maskHeight, float width,
                           float height, float x, float y, float glow);
    // The part of the piece's box, in its image's pixels, that the selected look covers.
    static void SelectedBox(const Surface& image, int maskWidth, int maskHeight, float width, float height,
                            int& boxWidth, int& boxHeight);
    // The same pixels as DrawSelectedImage, drawn run by run.
    void DrawSelectedLook(Surface& dest, const SelectedLook& look, const Surface& image, float x, float y,
                          float glow);

    std::vector<unsigned char> selectedInside;
    Surface selectedScratch;
    std::vector<SelectedLook::Span> selectedRuns;  // a mask's runs while its look is made
    std::vector<unsigned> selectedRowEnd;
};

extern CMgrImage ImageMgr;
