// Gives every string view under a view the panel background colour, so that
// labels sit on their panel like the platform's do, not on white.
#pragma once

class BView;

void LibAdoptPanelColor(BView* root);
