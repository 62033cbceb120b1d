#include "core/app/Module1.h"

Module1State& Module1() {
  static Module1State state;
  return state;
}
