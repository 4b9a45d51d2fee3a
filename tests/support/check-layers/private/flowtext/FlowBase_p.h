#pragma once
// A base that stays private to its folder.
struct FlowBase {};
