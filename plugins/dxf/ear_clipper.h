// The triangulator's way for polygons that its splitting rule would take too long over (a comb makes
// the rule visit every point for each one it cuts off): ears cut off one after the other, each
// checked against the points that remain through a k-d tree of the polygon's points in its plane.
//
// While the leftmost point (the first from the start among equals) is an ear, the ear there is cut
// and the start moves past it, as the rule cuts; so a polygon that the rule cuts by ears alone, every
// convex one among them, gets the rule's triangles in the rule's order. From the first leftmost point
// that is no ear on, every corner is looked at once, and after each ear only the ear's two neighbours
// again. Work is bounded by the number of points: past a budget of tree nodes visited, the rest is cut
// corner by corner without looking inside, which only a polygon that crosses itself or is built to
// waste time ever reaches.
#pragma once

#include "plugins/dxf/triangulator.h"

// Fills the work record's triangle list from its projected points (u, v): false when memory runs
// out.
bool ClipEars(TriangulationWork& work);
