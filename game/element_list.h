#pragma once
// The Scene's ordered array of elements: drawing order and hit-test order are list order.
// Operations taking an id or a kind do nothing when it is 0.
#include <cstdint>
#include <vector>

#include "game/element.h"

using ElementList = std::vector<Element>;

void Append(ElementList& elements, const Element& element);
void HideById(ElementList& elements, int32_t id);   // first element with the id only
void ShowById(ElementList& elements, int32_t id);   // first element with the id only
void HideByKind(ElementList& elements, int32_t kind);
void DisableHitsByKind(ElementList& elements, int32_t kind);
void RemoveByKind(ElementList& elements, int32_t kind);
void RemoveById(ElementList& elements, int32_t id);  // every element with the id
void DeactivateKindShowId(ElementList& elements, int32_t kind, int32_t id);
void CloseKinds(ElementList& elements, int32_t kindA, int32_t kindB);
void RestartMotionsOfKind(ElementList& elements, int32_t kind);
// Drops every element whose removeFlag is set, keeping order; traces the count when it changed.
void Purge(ElementList& elements);
