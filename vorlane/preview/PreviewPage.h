// The preview's page: plain HTML, CSS and JavaScript built into the program, so that it needs no build step, no
// files beside the program and no network.
#pragma once

namespace vorlane::host {

const char* preview_page_html();
const char* preview_page_style();
const char* preview_page_script();

}  // namespace vorlane::host
