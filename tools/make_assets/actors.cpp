// Paints the officer and the gang member (four facings and dead), the shot, the muzzle flash,
// the two pickups and the window icon.
#include "art.h"
#include "palette.h"

#include <cmath>

namespace {

// Where each facing puts the body and the gun. The muzzle of the gun lies where the game draws
// the 5x5 muzzle flash: at (15, 0) facing up, (0, 20) down, (-5, 10) left and (20, 10) right.
// Columns: centre of the body (x, y), forward direction (x, y), hand holding the gun (x, y),
// muzzle (x, y), side of the body the gun arm comes from (+1 right, -1 left).
struct Pose {
    double centreX, centreY;
    int forwardX, forwardY;
    int handX, handY;
    int muzzleX, muzzleY;
    int gunSide;
};

const Pose poses[] = {
    {10, 11, 0, -1, 17, 7, 17, 0, +1},    // 1 up
    {10, 9, 0, 1, 2, 12, 2, 19, +1},      // 2 down
    {11, 10.5, -1, 0, 5, 12, 0, 12, -1},  // 3 left
    {9, 10.5, 1, 0, 14, 12, 19, 12, +1},  // 4 right
};
static_assert(sizeof poses / sizeof poses[0] == 4, "one pose per facing");

struct Colours {
    uint32_t body, bodyDark, trousers;
};

Colours coloursOf(Look look) {
    return look == Look::Officer ? Colours{officerUniform, officerUniformDark, officerTrousers}
                                 : Colours{gangJacket, gangJacketDark, gangTrousers};
}

// Shapes given in the body's own frame: u to its right, v forward, in pixels from its centre.
void bodyEllipse(Canvas &canvas, const Pose &pose, double u, double v, double ru, double rv, uint32_t colour) {
    double rightX = -pose.forwardY, rightY = pose.forwardX;
    for (int y = 0; y < canvas.height; y++)
        for (int x = 0; x < canvas.width; x++) {
            double dx = x + 0.5 - pose.centreX, dy = y + 0.5 - pose.centreY;
            double pu = dx * rightX + dy * rightY - u;
            double pv = dx * pose.forwardX + dy * pose.forwardY - v;
            if ((pu / ru) * (pu / ru) + (pv / rv) * (pv / rv) <= 1.0) setPixel(canvas, x, y, colour);
        }
}

void bodyPoint(const Pose &pose, double u, double v, int &x, int &y) {
    double rightX = -pose.forwardY, rightY = pose.forwardX;
    x = static_cast<int>(std::floor(pose.centreX + u * rightX + v * pose.forwardX));
    y = static_cast<int>(std::floor(pose.centreY + u * rightY + v * pose.forwardY));
}

void paintHead(Canvas &canvas, Look look, const Pose &pose) {
    if (look == Look::Officer) {
        bodyEllipse(canvas, pose, 0, 0.4, 4.2, 4.2, outlineColour);
        bodyEllipse(canvas, pose, 0, 0.4, 3.4, 3.4, officerCap);
        bodyEllipse(canvas, pose, 0, 3.4, 3.4, 1.3, officerVisor);
        bodyEllipse(canvas, pose, 0, 1.8, 0.8, 0.8, badgeGold);
    }
    if (look == Look::Gang) {
        bodyEllipse(canvas, pose, 0, 0.4, 4.8, 4.8, outlineColour);
        bodyEllipse(canvas, pose, 0, 0.4, 4.1, 4.1, gangHatBrim);
        bodyEllipse(canvas, pose, 0, 0.2, 2.9, 2.9, gangHatBand);
        bodyEllipse(canvas, pose, 0, 0.0, 2.2, 2.2, gangHatCrown);
    }
}

// Cuts the corners of a box so it sits on the floor with rounded edges.
void roundCorners(Canvas &canvas, int x0, int y0, int x1, int y1) {
    setPixel(canvas, x0, y0, floorColour);
    setPixel(canvas, x1, y0, floorColour);
    setPixel(canvas, x0, y1, floorColour);
    setPixel(canvas, x1, y1, floorColour);
}

}  // namespace

Canvas paintActor(Look look, int facing) {
    const Pose &pose = poses[facing - 1];
    Colours colours = coloursOf(look);
    Canvas canvas = makeCanvas(20, 20, floorColour);

    // Shoulders, with the back half a shade darker so the facing reads at a glance.
    bodyEllipse(canvas, pose, 0, -0.5, 8.8, 5.2, outlineColour);
    bodyEllipse(canvas, pose, 0, -0.5, 7.9, 4.3, colours.bodyDark);
    bodyEllipse(canvas, pose, 0, 0.2, 7.5, 3.6, colours.body);
    // The free hand hangs at the shoulder on the side without the gun.
    bodyEllipse(canvas, pose, -pose.gunSide * 7.0, 2.4, 1.3, 1.3, skinColour);
    paintHead(canvas, look, pose);

    // The gun arm runs from its shoulder to the hand, the gun from the hand to the muzzle.
    int shoulderX, shoulderY;
    bodyPoint(pose, pose.gunSide * 6.2, 0.5, shoulderX, shoulderY);
    drawLine(canvas, shoulderX, shoulderY, pose.handX, pose.handY, colours.body);
    drawLine(canvas, pose.handX, pose.handY, pose.muzzleX, pose.muzzleY, gunColour);
    int midX = (pose.handX + pose.muzzleX) / 2, midY = (pose.handY + pose.muzzleY) / 2;
    setPixel(canvas, midX, midY, gunLight);
    setPixel(canvas, pose.handX, pose.handY, skinColour);
    return canvas;
}

// Lying on its back along the picture, head to the left, in a pool of blood.
Canvas paintDeadActor(Look look) {
    Colours colours = coloursOf(look);
    Canvas canvas = makeCanvas(20, 20, floorColour);
    fillEllipse(canvas, 10.5, 11.5, 8.5, 5.5, bloodColour);
    fillEllipse(canvas, 9.5, 11.0, 5.0, 3.0, bloodDark);
    // Legs, then the arms thrown out, then the torso over them.
    fillRect(canvas, 13, 7, 18, 8, colours.trousers);
    fillRect(canvas, 13, 11, 18, 12, colours.trousers);
    fillRect(canvas, 19, 6, 19, 8, outlineColour);
    fillRect(canvas, 19, 11, 19, 13, outlineColour);
    drawLine(canvas, 8, 5, 6, 1, colours.body);
    drawLine(canvas, 8, 14, 10, 18, colours.body);
    setPixel(canvas, 6, 0, skinColour);
    setPixel(canvas, 10, 19, skinColour);
    fillEllipse(canvas, 10.0, 10.0, 4.6, 5.2, outlineColour);
    fillEllipse(canvas, 10.0, 10.0, 3.7, 4.3, colours.body);
    fillRect(canvas, 6, 9, 13, 10, colours.bodyDark);
    fillEllipse(canvas, 3.5, 10.0, 3.2, 3.2, outlineColour);
    fillEllipse(canvas, 3.5, 10.0, 2.4, 2.4, skinColour);
    if (look == Look::Officer) {
        fillEllipse(canvas, 2.6, 10.0, 1.8, 2.6, officerCap);
        setPixel(canvas, 2, 10, badgeGold);
    }
    if (look == Look::Gang) {
        // The hat has rolled off beside the head.
        fillEllipse(canvas, 4.0, 16.5, 3.2, 3.2, outlineColour);
        fillEllipse(canvas, 4.0, 16.5, 2.6, 2.6, gangHatBrim);
        fillEllipse(canvas, 4.0, 16.5, 1.5, 1.5, gangHatCrown);
        setPixel(canvas, 2, 10, skinShade);
    }
    return canvas;
}

// A hot round, bright at its core, fading into the floor at its edge.
Canvas paintBullet() {
    Canvas canvas = makeCanvas(4, 4, floorColour);
    fillRect(canvas, 1, 0, 2, 3, mixColour(floorColour, flashOrange, 0.55));
    fillRect(canvas, 0, 1, 3, 2, mixColour(floorColour, flashOrange, 0.55));
    setPixel(canvas, 1, 1, flashWhite);
    setPixel(canvas, 2, 1, brassLight);
    setPixel(canvas, 1, 2, brassLight);
    setPixel(canvas, 2, 2, flashYellow);
    return canvas;
}

// A small star burst: white core, yellow cross, orange and red tips.
Canvas paintMuzzleFlash() {
    Canvas canvas = makeCanvas(5, 5, floorColour);
    fillRect(canvas, 2, 0, 2, 4, flashYellow);
    fillRect(canvas, 0, 2, 4, 2, flashYellow);
    setPixel(canvas, 1, 1, flashOrange);
    setPixel(canvas, 3, 1, flashOrange);
    setPixel(canvas, 1, 3, flashOrange);
    setPixel(canvas, 3, 3, flashOrange);
    setPixel(canvas, 2, 0, flashRed);
    setPixel(canvas, 2, 4, flashRed);
    setPixel(canvas, 0, 2, flashRed);
    setPixel(canvas, 4, 2, flashRed);
    setPixel(canvas, 2, 2, flashWhite);
    return canvas;
}

// An olive crate, lid open on two rows of brass rounds, with a stencilled band below.
Canvas paintAmmoBox() {
    Canvas canvas = makeCanvas(20, 15, floorColour);
    fillRect(canvas, 0, 1, 19, 14, crateDark);
    fillRect(canvas, 1, 2, 18, 13, crateColour);
    fillRect(canvas, 1, 2, 18, 2, crateLight);
    fillRect(canvas, 2, 3, 17, 8, crateDark);
    for (int row = 0; row < 2; row++)
        for (int round = 0; round < 5; round++) {
            int x = 3 + round * 3, y = 4 + row * 2;
            setPixel(canvas, x, y, brassLight);
            setPixel(canvas, x + 1, y, brassColour);
            setPixel(canvas, x, y + 1, brassColour);
            setPixel(canvas, x + 1, y + 1, copperColour);
        }
    fillRect(canvas, 2, 10, 17, 11, stencilYellow);
    for (int x = 3; x <= 16; x += 3) setPixel(canvas, x, 10, crateColour);
    fillRect(canvas, 1, 12, 18, 12, crateLight);
    roundCorners(canvas, 0, 1, 19, 14);
    return canvas;
}

// A white case with a handle on top and a red cross on its face.
Canvas paintMedkit() {
    Canvas canvas = makeCanvas(20, 15, floorColour);
    fillRect(canvas, 7, 0, 12, 0, caseEdge);
    fillRect(canvas, 7, 1, 7, 2, caseEdge);
    fillRect(canvas, 12, 1, 12, 2, caseEdge);
    fillRect(canvas, 0, 2, 19, 14, caseEdge);
    fillRect(canvas, 1, 3, 18, 13, caseWhite);
    fillRect(canvas, 1, 13, 18, 13, caseShade);
    fillRect(canvas, 18, 3, 18, 13, caseShade);
    fillRect(canvas, 8, 4, 11, 12, crossRed);
    fillRect(canvas, 5, 6, 14, 10, crossRed);
    roundCorners(canvas, 0, 2, 19, 14);
    return canvas;
}

// The officer's face under his peaked cap, on a pale blue ground.
Canvas paintIcon() {
    Canvas canvas = makeCanvas(32, 32, 0x9AB4DA);
    fillEllipse(canvas, 16, 33, 15, 8, outlineColour);
    fillEllipse(canvas, 16, 33, 14, 7, officerUniform);
    fillRect(canvas, 14, 26, 17, 31, 0xE8E8F0);
    fillRect(canvas, 15, 27, 16, 31, officerCap);
    fillEllipse(canvas, 16, 18.5, 8.5, 9.5, outlineColour);
    fillEllipse(canvas, 16, 18.5, 7.5, 8.5, skinColour);
    fillEllipse(canvas, 16, 8, 12.5, 6.5, outlineColour);
    fillEllipse(canvas, 16, 8, 11.5, 5.5, officerCap);
    fillRect(canvas, 6, 11, 25, 13, officerVisor);
    fillRect(canvas, 7, 10, 24, 10, badgeGold);
    fillEllipse(canvas, 16, 6.5, 2.2, 2.6, badgeGold);
    setPixel(canvas, 15, 6, 0xFFF4B0);
    fillRect(canvas, 11, 17, 13, 18, outlineColour);
    fillRect(canvas, 19, 17, 21, 18, outlineColour);
    fillRect(canvas, 10, 15, 13, 15, skinShade);
    fillRect(canvas, 19, 15, 22, 15, skinShade);
    fillRect(canvas, 15, 19, 16, 21, skinShade);
    fillRect(canvas, 13, 24, 19, 24, 0x8A4A3A);
    return canvas;
}
