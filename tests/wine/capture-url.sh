#!/usr/bin/env bash
# Stands in for the browser: Wine's shell hands it the URL to open.
printf '%s\n' "$1" >> "${QD_URL_LOG:-/dev/null}"
