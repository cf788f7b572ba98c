// Marks the exports of libVelmira.so; everything else has hidden visibility.
#pragma once

#define VELMIRA_API __attribute__((visibility("default")))
