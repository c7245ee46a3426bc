#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <map>
#include <string>

namespace Tavrin {

// Names of the product's web links. The numbers are shared with the link tables and the
// diagnostics output, so they never change; the names are the key strings of the table.
enum URLKeys
{
    INTELMEDIA_ENCODING_MORE_URL_settings = 1,
    NVIDIA_ENCODING_MORE_URL_settings = 2,
    FAQ_URL_menu = 3,
    HOMEPAGE_URL_menu = 11,
    HOMEPAGE_URL_menuabout = 12,
    HOMEPAGE_URL_socialtab = 13,
    HOMEPAGE_URL = 14,
    DOWNLOAD_URL_checkupdatest = 15,
    UPGRADE_URL_checkupdatest = 16,
    HELP_URL_menu = 17,
    LIVECHAT_URL_menu = 18,
    LIVECHAT_URL_other = 19,
    CONTACT_SUPPORT_menu = 26,
    GET_MORE_SOFTWARE_URL_menu = 27,
    CUSTOM_ABOUT_URL = 28,
    CUSTOM_ABOUT_CAPTION_URL = 29,
    THANK_FOR_INSTALL_URL = 30,
    THANK_FOR_REINSTALL_URL = 31,
    DRIVER_UPDATE_GUIDE_URL_other = 34,
    FORUM_URL_socialtab = 35,
    FORUM_URL_menu = 36,
    INSTAGRAM_URL_socialtab = 37,
    INSTAGRAM_URL_menu = 38,
    FACEBOOK_URL_socialtab = 39,
    FACEBOOK_URL_menu = 40,
    ODNOKLASSNIKI_URL_socialtab = 41,
    ODNOKLASSNIKI_URL_menu = 42,
    GOOGLE_PLUS_URL_socialtab = 43,
    GOOGLE_PLUS_URL_menu = 44,
    VKONTAKTE_URL_socialtab = 45,
    VKONTAKTE_URL_menu = 46,
    YOU_TUBE_URL_socialtab = 47,
    YOU_TUBE_URL_menu = 48,
    HOMEPAGE_URL_youtube_description = 49,
    CHECK_FOR_UPDATES_URL = 56,
    CHANGELOG_URL = 57,
    VIDEOBLOCKS_URL_other_import = 58,
    AUDIOBLOCKS_URL_other_import = 59,
    GRAPHICSTOCK_URL_other_import = 60,
    COLLECTION_PROMO_FEED = 61,
    STORE_URL_filters_store = 62,
    STORE_URL_transitions_store = 63,
    STORE_URL_titles_store = 64,
    STORE_URL_stickers_store = 65,
    STORE_URL_callouts_store = 66,
    STORE_URL_menu = 67,
    HOW_TO_CREATE_SLIDESHOW_URL_newprojectdialog = 70,
    USER_GUIDE_URL_newprojectdialog = 71,
    INTEL_INSTALL_RSSDK_URL_rssdk = 72,
    INTEL_RSSDK_ABOUT_URL_rssdk = 73,
};

// Every key with its key string, in ascending key order. Built once at static
// initialisation and constant afterwards; .at() of a value that is not a key throws
// std::out_of_range.
TAVRIN_APP_EXPORT const std::map<URLKeys, std::string>& UrlKeyTable();

}  // namespace Tavrin
