#pragma once
// Back-link runs: the pages that link to each typed address.
unsigned __stdcall BackTrawl(void*);
int BackTrawlMain();
