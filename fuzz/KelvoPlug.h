#pragma once
// The Kelvo product as a plain plug-in object, built on the base alone (no host interface).

#include <memory>

#include "Kelvo/Kelvo.h"
#include "Require.h"

// A Kelvo object as the host's initialisation leaves it, at 44.1 kHz.
std::unique_ptr<Kelvo> MakeKelvo();
