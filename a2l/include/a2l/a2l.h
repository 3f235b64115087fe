// Everything of the A2L engine in one include.
//
//   a2l::ReadResult r = a2l::readFile("ecu.a2l");
//   if (!r.ok()) {
//       std::cerr << r.error->toString() << "\n";   // file:line:column: error: ...
//       return 1;
//   }
//   for (const a2l::Diagnostic& w : r.warnings) { ... }  // tolerated problems
//   const a2l::Document& doc = *r.document;
//   for (a2l::BlockRef b : doc.blocks(a2l::BlockKind::Measurement)) {
//       a2l::Measurement m = doc.measurement(b);        // decoded on request, one at a time
//       auto method = doc.find<CompuMethod>(m.conversion);
//       ...
//   }
//
// Objects are decoded from the block tree when asked for, so decoding them one at a time
// keeps memory near the file size; doc.all<Measurement>() decodes all at once.
#pragma once

#include "a2l/block.h"
#include "a2l/diagnostic.h"
#include "a2l/document.h"
#include "a2l/model.h"
