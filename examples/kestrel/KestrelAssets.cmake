# The product's themes and interface languages, built into the layout the look-and-feel
# manager reads beside the executable:
#   resources/themes/{theme}/kestrel.rcc              rcc of themes/{theme}/kestrel.qrc
#   resources/themes/{theme}/theme.json               the theme's name in every language
#   resources/locales/{locale}/{module}_{locale}.qm   lrelease of translations/*_{locale}.ts
#   resources/locales/{locale}/LC_MESSAGES/core.mo    msgfmt of translations/core_{locale}.po
#   resources/links.json                              the product's web links, by key
# Target kestrel_assets builds them all; kestrel_lupdate brings the .ts files up to date with
# the sources (tavrinapp_*.ts hold the library's texts, kestrel_*.ts the product's).

find_package(Qt5LinguistTools 5.15 QUIET)
if(NOT Qt5LinguistTools_FOUND)
    message(FATAL_ERROR "The demo's translations need Qt's Linguist tools for CMake "
        "(Debian package qttools5-dev).")
endif()
find_package(Gettext QUIET)
if(NOT GETTEXT_MSGFMT_EXECUTABLE)
    message(FATAL_ERROR "The demo's message catalogues need msgfmt (Debian package gettext).")
endif()

set(KESTREL_THEMES dark light)
set(KESTREL_LOCALES en_US de_DE ru_RU)
# The theme files are the resources of this module (the prefix of their .qrc).
set(KESTREL_THEME_MODULE kestrel)
set(KESTREL_THEME_TITLE_FILE theme.json)
# Where the font files named in the themes' fonts.manifest are taken from at build time.
set(KESTREL_FONT_DIRS /usr/share/fonts/truetype/dejavu CACHE STRING
    "Directories searched for the font files of the demo's themes (Debian: fonts-dejavu-core)")

set(resources "${KESTREL_RUNTIME_DIR}/resources")
set(assets)

# The system font files a theme's fonts.manifest names, by their file names.
function(kestrel_theme_fonts theme manifest out)
    file(READ "${manifest}" entries)
    string(REGEX MATCHALL "[^ \t\r\n]+" entries "${entries}")
    set(fonts)
    foreach(entry IN LISTS entries)
        get_filename_component(name "${entry}" NAME)
        string(MAKE_C_IDENTIFIER "KESTREL_FONT_${name}" variable)
        find_file(${variable} "${name}" PATHS ${KESTREL_FONT_DIRS} NO_DEFAULT_PATH)
        if(NOT ${variable})
            message(FATAL_ERROR "Theme ${theme} needs the font file ${name}, which is not in "
                "${KESTREL_FONT_DIRS} (Debian package fonts-dejavu-core).")
        endif()
        list(APPEND fonts "${${variable}}")
    endforeach()
    set(${out} "${fonts}" PARENT_SCOPE)
endfunction()

foreach(theme IN LISTS KESTREL_THEMES)
    set(source "${CMAKE_CURRENT_SOURCE_DIR}/themes/${theme}")
    # The .qrc names the fonts beside it, so the theme is compiled from a copy with them.
    set(stage "${CMAKE_CURRENT_BINARY_DIR}/themes/${theme}")
    set(output "${resources}/themes/${theme}")
    file(GLOB files LIST_DIRECTORIES false CONFIGURE_DEPENDS "${source}/*")
    list(REMOVE_ITEM files "${source}/${KESTREL_THEME_TITLE_FILE}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}/fonts.manifest")
    kestrel_theme_fonts(${theme} "${source}/fonts.manifest" fonts)

    set(rcc "${output}/${KESTREL_THEME_MODULE}.rcc")
    add_custom_command(OUTPUT "${rcc}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${stage}" "${output}"
        COMMAND "${CMAKE_COMMAND}" -E copy_if_different ${files} ${fonts} "${stage}"
        COMMAND Qt5::rcc --binary --output "${rcc}" "${stage}/${KESTREL_THEME_MODULE}.qrc"
        DEPENDS ${files} ${fonts}
        COMMENT "Compiling the ${theme} theme of Tavrin Kestrel"
        VERBATIM)
    set(title "${output}/${KESTREL_THEME_TITLE_FILE}")
    add_custom_command(OUTPUT "${title}"
        COMMAND "${CMAKE_COMMAND}" -E copy_if_different
                "${source}/${KESTREL_THEME_TITLE_FILE}" "${title}"
        DEPENDS "${source}/${KESTREL_THEME_TITLE_FILE}"
        VERBATIM)
    list(APPEND assets "${rcc}" "${title}")
endforeach()

set(translations "${CMAKE_CURRENT_SOURCE_DIR}/translations")
set(ts_files)
foreach(locale IN LISTS KESTREL_LOCALES)
    set(output "${resources}/locales/${locale}")
    file(GLOB ts CONFIGURE_DEPENDS "${translations}/*_${locale}.ts")
    set_source_files_properties(${ts} PROPERTIES OUTPUT_LOCATION "${output}")
    list(APPEND ts_files ${ts})

    set(po "${translations}/core_${locale}.po")
    set(mo "${output}/LC_MESSAGES/core.mo")
    add_custom_command(OUTPUT "${mo}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${output}/LC_MESSAGES"
        COMMAND "${GETTEXT_MSGFMT_EXECUTABLE}" --check --output-file "${mo}" "${po}"
        DEPENDS "${po}"
        COMMENT "Compiling the ${locale} message catalogue of Tavrin Kestrel"
        VERBATIM)
    list(APPEND assets "${mo}")
endforeach()
qt5_add_translation(qm_files ${ts_files} OPTIONS -silent)

set(links "${resources}/links.json")
add_custom_command(OUTPUT "${links}"
    COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${CMAKE_CURRENT_SOURCE_DIR}/links.json" "${links}"
    DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/links.json"
    VERBATIM)
list(APPEND assets "${links}")

add_custom_target(kestrel_assets DEPENDS ${assets} ${qm_files})

# Run by hand after changing texts, then translate what it marked unfinished. English needs
# only the plural forms.
set(lupdate_options -locations none -no-obsolete -silent)
add_custom_target(kestrel_lupdate
    COMMAND Qt5::lupdate ${lupdate_options} "${CMAKE_CURRENT_SOURCE_DIR}"
            -ts "${translations}/kestrel_de_DE.ts" "${translations}/kestrel_ru_RU.ts"
    COMMAND Qt5::lupdate ${lupdate_options} -pluralonly "${CMAKE_CURRENT_SOURCE_DIR}"
            -ts "${translations}/kestrel_en_US.ts"
    # The include paths let lupdate find a class from its source file, which gives its context.
    COMMAND Qt5::lupdate ${lupdate_options} -I "${PROJECT_SOURCE_DIR}/src"
            -I "${PROJECT_SOURCE_DIR}/platform" "${PROJECT_SOURCE_DIR}/src"
            "${PROJECT_SOURCE_DIR}/platform"
            -ts "${translations}/tavrinapp_de_DE.ts" "${translations}/tavrinapp_ru_RU.ts"
    COMMENT "Updating the translation sources of Tavrin Kestrel"
    VERBATIM)
