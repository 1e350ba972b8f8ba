#include "game/element_list.h"

#include <string>

#include "game/debug_output.h"

void Append(ElementList& elements, const Element& element) { elements.push_back(element); }

void HideById(ElementList& elements, int32_t id) {
  if (id == 0) return;
  for (Element& e : elements) {
    if (e.id == id) {
      e.visible = 0;
      return;
    }
  }
}

void ShowById(ElementList& elements, int32_t id) {
  if (id == 0) return;
  for (Element& e : elements) {
    if (e.id == id) {
      e.visible = 1;
      return;
    }
  }
}

void HideByKind(ElementList& elements, int32_t kind) {
  if (kind == 0) return;
  for (Element& e : elements)
    if (e.kind == kind) e.visible = 0;
}

void DisableHitsByKind(ElementList& elements, int32_t kind) {
  if (kind == 0) return;
  for (Element& e : elements) {
    if (e.kind == kind) {
      e.hoverEnabled = 0;
      e.clickEnabled = 0;
    }
  }
}

void RemoveByKind(ElementList& elements, int32_t kind) {
  if (kind == 0) return;
  for (Element& e : elements)
    if (e.kind == kind) e.removeFlag = 1;
}

void RemoveById(ElementList& elements, int32_t id) {
  if (id == 0) return;
  for (Element& e : elements)
    if (e.id == id) e.removeFlag = 1;
}

void DeactivateKindShowId(ElementList& elements, int32_t kind, int32_t id) {
  HideByKind(elements, kind);
  DisableHitsByKind(elements, kind);
  ShowById(elements, id);
}

void CloseKinds(ElementList& elements, int32_t kindA, int32_t kindB) {
  HideByKind(elements, kindA);
  HideByKind(elements, kindB);
  RemoveByKind(elements, kindA);
  RemoveByKind(elements, kindB);
}

void RestartMotionsOfKind(ElementList& elements, int32_t kind) {
  if (kind == 0) return;
  for (Element& e : elements) {
    if (e.kind != kind) continue;
    e.positionMotion.remaining = e.positionMotion.duration;
    if (e.positionMotion.duration != 0.0f) e.position = e.positionMotion.from;
    e.scaleMotion.remaining = e.scaleMotion.duration;
    if (e.scaleMotion.duration != 0.0f) e.scale = e.scaleMotion.from;
  }
}

void Purge(ElementList& elements) {
  const size_t before = elements.size();
  std::erase_if(elements, [](const Element& e) { return e.removeFlag != 0; });
  const size_t after = elements.size();
  if (after == before) return;
  DebugOutput(L"Purge ");
  DebugOutput(std::to_wstring(before));
  DebugOutput(L" -> ");
  DebugOutput(std::to_wstring(after));
  DebugOutput(L"\n");
}
