# Which sources each translation file holds the texts of, for lupdate (run
# from the top of the tree). Sourced by scripts/update-translations.sh and
# the completeness test, so both read the same lists.
PLOMET_CLI_TEXTS="cli translations seal formats stamp app/StampDialog.h app/StampDialog.cpp"
PLOMET_APP_TEXTS="$(ls app/*.h app/*.cpp platform/*.h platform/*.cpp | grep -v '^app/StampDialog\.')"
