// What the host offers a user at its prompts beyond the plug-in's requests: object snaps for
// clicks and ProcCsrSnap, the points given in the running command (markers, the rubber
// line's origin, relative input), picking into the selection set and the preselection.
#pragma once

#include <string>
#include <vector>

#include "host/geometry/snap.h"

namespace qlhost {

// Snap modes (SnapMode bits) switched on by the user; 0, the default, keeps ProcCsrSnap as it
// always was (end points of lines, paths and arcs) and clicks unsnapped.
unsigned SnapModes();
void SetSnapModes(unsigned modes);
// The snap of the visible entities of the working list within the pick tolerance of a point
// under the user's modes; false when the modes are off or nothing is near.
bool SnapNear(double x, double y, SnapHit& hit);

// Points given at point prompts: the last one of the session (relative input starts there)
// and those of the running command, in order (cleared when a command starts).
void NotePointGiven(double x, double y);
bool LastPoint(Pt& point);
const std::vector<Pt>& CommandPoints();
void ClearCommandPoints();
// The rubber origin set in the running command (SetCursorOrg2/3); false before one is set.
bool RubberOrigin(Pt& origin);
void ClearRubberOrigin();

// A point typed at a point prompt: "x,y[,z]", "@dx,dy" from the last point, "@d<angle" (angle
// in degrees, counter-clockwise from the x axis). False when the text is none of these, or
// is relative and there is no last point.
bool ParsePointInput(const std::string& text, bool haveLast, Pt last, Pt& point, double& z, bool& hasZ);

// Picking into the selection set: the entity under a point (the pick tolerance, a visible
// layer) added to or taken out of the selection; false when nothing is there.
bool PickIntoSelection(double x, double y, bool remove);
// Window selection: entities wholly inside, or (crossing) those any part of which lies inside;
// added to the selection when add, else replacing it.
void SelectInWindow(double x1, double y1, double x2, double y2, bool crossing, bool add);
size_t SelectedCount();

// Entities selected while no command runs are taken by the next selection prompt (kind 22),
// which is answered with them at once; a command that ends drops the preselection.
void NotePreselection();
void DropPreselection();
// Answers an open selection prompt with the preselection when there is one; true if it did.
bool TakePreselection();

// Interaction state back to its start (a new script).
void ResetInteraction();

}  // namespace qlhost
