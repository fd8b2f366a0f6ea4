// Thin typed helpers that build argument records and read results, so that a call of a
// runtime operation reads like its algorithm: CallText(ToText, Double(x)).
#pragma once

#include <cstdint>
#include <cstring>

#include "runtime/owned.h"
#include "runtime/value.h"

namespace rt {

inline ArgRecord Omitted() { return ArgRecord{0, 0, TypeTag::Omitted}; }

inline ArgRecord Int(int32_t value) { return ArgRecord{static_cast<uint32_t>(value), 0, TypeTag::Int}; }

inline ArgRecord Bool(bool value) { return ArgRecord{value ? 1u : 0u, 0, TypeTag::Bool}; }

inline ArgRecord Int64(int64_t value) {
  const auto bits = static_cast<uint64_t>(value);
  return ArgRecord{static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32), TypeTag::Int64};
}

inline ArgRecord DoubleTagged(double value, TypeTag tag) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return ArgRecord{static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32), tag};
}

inline ArgRecord Double(double value) { return DoubleTagged(value, TypeTag::Double); }

inline ArgRecord DateTime(double days) { return DoubleTagged(days, TypeTag::DateTime); }

inline ArgRecord Float(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return ArgRecord{bits, 0, TypeTag::Float};
}

inline ArgRecord Pointer(const void* p, TypeTag tag) {
  ArgRecord record{0, 0, tag};
  std::memcpy(&record.low, &p, sizeof p);
  return record;
}

// A Text argument; a null Text is passed as a constant empty string, never as null.
inline ArgRecord TextArg(const char* text) { return Pointer(text != nullptr ? text : "", TypeTag::Text); }
inline ArgRecord TextArg(const OwnedText& text) { return TextArg(text.get()); }

// A Bytes argument; a null Bytes is passed as EmptyBytes.
inline ArgRecord BytesArg(const Bytes* bytes) {
  return Pointer(bytes != nullptr ? bytes : &EmptyBytes, TypeTag::Bytes);
}
inline ArgRecord BytesArg(const OwnedBytes& bytes) { return BytesArg(bytes.get()); }

// A by-reference argument: the address of the caller's 32-bit variable, with the variable's tag.
inline ArgRecord IntRef(int32_t* variable) { return Pointer(variable, TypeTag::Int); }

// Calls a runtime operation with a zeroed result record and the given arguments.
template <typename... Args>
ArgRecord Call(CommandFn operation, const Args&... args) {
  ArgRecord result{0, 0, TypeTag::Omitted};
  if constexpr (sizeof...(Args) == 0) {
    operation(&result, 0, nullptr);
  } else {
    const ArgRecord records[] = {args...};
    operation(&result, static_cast<int32_t>(sizeof...(Args)), records);
  }
  return result;
}

template <typename... Args>
int32_t CallInt(CommandFn operation, const Args&... args) {
  return Call(operation, args...).AsInt();
}

template <typename... Args>
bool CallBool(CommandFn operation, const Args&... args) {
  return Call(operation, args...).low != 0;
}

template <typename... Args>
double CallDouble(CommandFn operation, const Args&... args) {
  return Call(operation, args...).AsDouble();
}

template <typename... Args>
OwnedText CallText(CommandFn operation, const Args&... args) {
  return OwnedText(Call(operation, args...).AsText());
}

template <typename... Args>
OwnedBytes CallBytes(CommandFn operation, const Args&... args) {
  return OwnedBytes(Call(operation, args...).AsBytes());
}

}  // namespace rt
