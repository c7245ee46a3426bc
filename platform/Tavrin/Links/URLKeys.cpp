#include <Tavrin/Links/URLKeys.h>

namespace Tavrin {

const std::map<URLKeys, std::string>& UrlKeyTable()
{
    static const std::map<URLKeys, std::string> table{
        {INTELMEDIA_ENCODING_MORE_URL_settings, "INTELMEDIA_ENCODING_MORE_URL_settings"},
        {NVIDIA_ENCODING_MORE_URL_settings, "NVIDIA_ENCODING_MORE_URL_settings"},
        {FAQ_URL_menu, "FAQ_URL_menu"},
        {HOMEPAGE_URL_menu, "HOMEPAGE_URL_menu"},
        {HOMEPAGE_URL_menuabout, "HOMEPAGE_URL_menuabout"},
        {HOMEPAGE_URL_socialtab, "HOMEPAGE_URL_socialtab"},
        {HOMEPAGE_URL, "HOMEPAGE_URL"},
        {DOWNLOAD_URL_checkupdatest, "DOWNLOAD_URL_checkupdatest"},
        {UPGRADE_URL_checkupdatest, "UPGRADE_URL_checkupdatest"},
        {HELP_URL_menu, "HELP_URL_menu"},
        {LIVECHAT_URL_menu, "LIVECHAT_URL_menu"},
        {LIVECHAT_URL_other, "LIVECHAT_URL_other"},
        {CONTACT_SUPPORT_menu, "CONTACT_SUPPORT_menu"},
        {GET_MORE_SOFTWARE_URL_menu, "GET_MORE_SOFTWARE_URL_menu"},
        {CUSTOM_ABOUT_URL, "CUSTOM_ABOUT_URL"},
        {CUSTOM_ABOUT_CAPTION_URL, "CUSTOM_ABOUT_CAPTION_URL"},
        {THANK_FOR_INSTALL_URL, "THANK_FOR_INSTALL_URL"},
        {THANK_FOR_REINSTALL_URL, "THANK_FOR_REINSTALL_URL"},
        {DRIVER_UPDATE_GUIDE_URL_other, "DRIVER_UPDATE_GUIDE_URL_other"},
        {FORUM_URL_socialtab, "FORUM_URL_socialtab"},
        {FORUM_URL_menu, "FORUM_URL_menu"},
        {INSTAGRAM_URL_socialtab, "INSTAGRAM_URL_socialtab"},
        {INSTAGRAM_URL_menu, "INSTAGRAM_URL_menu"},
        {FACEBOOK_URL_socialtab, "FACEBOOK_URL_socialtab"},
        {FACEBOOK_URL_menu, "FACEBOOK_URL_menu"},
        {ODNOKLASSNIKI_URL_socialtab, "ODNOKLASSNIKI_URL_socialtab"},
        {ODNOKLASSNIKI_URL_menu, "ODNOKLASSNIKI_URL_menu"},
        {GOOGLE_PLUS_URL_socialtab, "GOOGLE_PLUS_URL_socialtab"},
        {GOOGLE_PLUS_URL_menu, "GOOGLE_PLUS_URL_menu"},
        {VKONTAKTE_URL_socialtab, "VKONTAKTE_URL_socialtab"},
        {VKONTAKTE_URL_menu, "VKONTAKTE_URL_menu"},
        {YOU_TUBE_URL_socialtab, "YOU_TUBE_URL_socialtab"},
        {YOU_TUBE_URL_menu, "YOU_TUBE_URL_menu"},
        {HOMEPAGE_URL_youtube_description, "HOMEPAGE_URL_youtube_description"},
        {CHECK_FOR_UPDATES_URL, "CHECK_FOR_UPDATES_URL"},
        {CHANGELOG_URL, "CHANGELOG_URL"},
        {VIDEOBLOCKS_URL_other_import, "VIDEOBLOCKS_URL_other_import"},
        {AUDIOBLOCKS_URL_other_import, "AUDIOBLOCKS_URL_other_import"},
        {GRAPHICSTOCK_URL_other_import, "GRAPHICSTOCK_URL_other_import"},
        {COLLECTION_PROMO_FEED, "COLLECTION_PROMO_FEED"},
        {STORE_URL_filters_store, "STORE_URL_filters_store"},
        {STORE_URL_transitions_store, "STORE_URL_transitions_store"},
        {STORE_URL_titles_store, "STORE_URL_titles_store"},
        {STORE_URL_stickers_store, "STORE_URL_stickers_store"},
        {STORE_URL_callouts_store, "STORE_URL_callouts_store"},
        {STORE_URL_menu, "STORE_URL_menu"},
        {HOW_TO_CREATE_SLIDESHOW_URL_newprojectdialog,
         "HOW_TO_CREATE_SLIDESHOW_URL_newprojectdialog"},
        {USER_GUIDE_URL_newprojectdialog, "USER_GUIDE_URL_newprojectdialog"},
        {INTEL_INSTALL_RSSDK_URL_rssdk, "INTEL_INSTALL_RSSDK_URL_rssdk"},
        {INTEL_RSSDK_ABOUT_URL_rssdk, "INTEL_RSSDK_ABOUT_URL_rssdk"},
    };
    return table;
}

namespace {
// Builds the table during static initialisation, before any thread can race for it.
[[maybe_unused]] const std::map<URLKeys, std::string>& builtAtStart = UrlKeyTable();
}  // namespace

}  // namespace Tavrin
