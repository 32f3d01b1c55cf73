// The heads-up line, the opening hints, the ammo box and the medkit.
#pragma once

// Points, weapon and ammunition along the bottom of the screen.
void drawHeadsUpLine();

// Counts the match frame, then shows the first hint in frames 1 to 249 and the second in 251 to 499.
void showHints();

// The ammo box shows once its timer passes 300 and gives 200 rounds when walked onto.
void runAmmoBox();

// The medkit shows once its timer passes 500 and gives 25 hit points when walked onto.
void runMedkit();
