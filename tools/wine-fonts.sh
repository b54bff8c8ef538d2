# Sourced: links Wine's default dialog fonts, which hold no Chinese, to the CJK
# font, as Windows links its UI fonts to its own. Runs in the current WINEPREFIX.
tolvane_link_cjk_fonts() {
    local link="wqy-microhei.ttc,WenQuanYi Micro Hei" font
    for font in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
            /v "$font" /t REG_MULTI_SZ /d "$link" /f >/dev/null 2>&1
    done
}
