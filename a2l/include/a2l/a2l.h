// Everything of the A2L engine in one include.
#pragma once

#include "a2l/block.h"
#include "a2l/diagnostic.h"
#include "a2l/document.h"
#include "a2l/model.h"
