// The files of the resource library as built into it.
#pragma once

struct EmbeddedResource {
  int kind;  // 0 the string table, 1 an HTML page, 2 a bitmap
  unsigned id;
  const unsigned char* data;
  unsigned size;
};

extern const EmbeddedResource kEmbeddedResources[];
extern const unsigned kEmbeddedResourceCount;
